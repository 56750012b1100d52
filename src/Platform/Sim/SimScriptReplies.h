#pragma once

#include "Platform/AppleScript.h"

class SimHost;
struct SimScriptMatch;

// The simulated apps' answers to recognised scripts. An answer is built from
// the model as it is when it is due (after any delay or hang), by the app's
// first running instance: its error or malformed reply when its scripting
// says so, else the list asked for; a focus script or a document switch
// changes the model as the app would.
class SimScriptReplies {
public:
    explicit SimScriptReplies(SimHost& host) : m_host(host) {}

    AppleScriptRun answer(const SimScriptMatch& match);

    static AppleScriptRun failure(const QString& message, int number);

private:
    AppleScriptRun list(const SimScriptMatch& match);
    AppleScriptRun focusWindow(const SimScriptMatch& match);
    AppleScriptRun switchDocument(const SimScriptMatch& match);

    SimHost& m_host;
};
