#pragma once

#include "Platform/UrlOpener.h"

// Opens URLs and folders with the desktop's handler.
class DesktopUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl& url) override;
};
