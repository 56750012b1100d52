#pragma once

#include "Settings/Preview/LivePreviewModel.h"

#include <QWidget>

class BrowserIconCache;
class PreferencesService;
class PreviewMiniature;
class Screens;

// The head of the Appearance and Layout tabs: the "LIVE PREVIEW" header and a
// scaled miniature of the switcher drawn from the current settings with four
// sample windows. Hovering a sample card selects it.
class LivePreview final : public QWidget {
    Q_OBJECT
public:
    LivePreview(PreferencesService& preferences, BrowserIconCache& icons, const Screens& screens,
                int hover, QWidget* parent = nullptr);

    // For tests and benchmarks: the product never calls these.
    PreviewMiniature* miniature() const { return m_miniature; }

public slots:
    void setHover(int index);

signals:
    // The pointer entered the sample card with this index.
    void hovered(int index);

private:
    PreviewMiniature* m_miniature;
};
