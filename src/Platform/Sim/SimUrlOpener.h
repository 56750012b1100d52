#pragma once

#include "Platform/UrlOpener.h"

#include <QList>

// Remembers what was opened instead of opening it, for tests.
class SimUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl& url) override
    {
        m_opened << url;
        return true;
    }
    const QList<QUrl>& opened() const { return m_opened; }

private:
    QList<QUrl> m_opened;
};
