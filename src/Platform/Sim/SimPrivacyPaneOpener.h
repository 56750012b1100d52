#pragma once

#include "Platform/UrlOpener.h"

class SimHostPrompts;

// Opens URLs for the program on the simulated host: a link into the host's
// settings ("x-apple.systempreferences:...?<anchor>") shows that privacy pane
// as one of the host's prompts; any other URL goes to the opener given (the
// desktop's handler, for folders and web pages).
class SimPrivacyPaneOpener final : public UrlOpener {
public:
    SimPrivacyPaneOpener(SimHostPrompts& prompts, UrlOpener& others)
        : m_prompts(prompts), m_others(others)
    {
    }

    bool open(const QUrl& url) override;

private:
    SimHostPrompts& m_prompts;
    UrlOpener& m_others;
};
