#include "SimPrivacyPaneOpener.h"

#include "SimHostPrompts.h"

#include <QUrl>

bool SimPrivacyPaneOpener::open(const QUrl& url)
{
    if (url.scheme() != QLatin1String("x-apple.systempreferences"))
        return m_others.open(url);
    m_prompts.raise(SimHostPrompt::Kind::privacyPane, url.query(QUrl::FullyDecoded));
    return true;
}
