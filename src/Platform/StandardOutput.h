#pragma once

#include <QString>

// The program's standard output, where its reports and result lines go. Each
// text is written whole and flushed at once, so that a process reading the
// pipe sees every line when it happens. Safe from any thread.
namespace StandardOutput {

// Writes the text and a line feed.
void printLine(const QString& text);

} // namespace StandardOutput
