#pragma once

#include <QUrl>

// Opens URLs and folders through the desktop's handler (file browser, web
// browser, settings panes).
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool open(const QUrl& url) = 0;
};
