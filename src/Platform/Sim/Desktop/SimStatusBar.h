#pragma once

#include "Platform/StatusBar.h"

#include <QList>
#include <QObject>

class SimStatusItem;

// The status bar of the simulated desktop: its items are drawn at the right
// end of the desktop window's menu bar, which places them and hands them the
// clicks.
class SimStatusBar final : public QObject, public StatusBar {
    Q_OBJECT
public:
    std::unique_ptr<StatusItem> createSquareItem() override;

    // Control face: the items that exist, oldest first (the rightmost).
    QList<SimStatusItem*> items() const { return m_items; }

signals:
    // An item came, went or changed its image.
    void changed();

private:
    friend class SimStatusItem;
    QList<SimStatusItem*> m_items;
};

class SimStatusItem final : public StatusItem {
public:
    explicit SimStatusItem(SimStatusBar& bar);
    ~SimStatusItem() override;

    void setImage(const QImage& image, bool isTemplate) override;
    // The simulated menu bar draws the image alone.
    void setAccessibilityDescription(const QString&) override {}
    void setClickHandler(std::function<void(const StatusItemClick&)> handler) override;
    QRectF buttonFrame() const override { return m_frame; }

    // Control face, used by whatever draws the bar.
    const QImage& image() const { return m_image; }
    bool isTemplate() const { return m_isTemplate; }
    void setButtonFrame(const QRectF& frame) { m_frame = frame; }
    void click(const StatusItemClick& click);

private:
    SimStatusBar& m_bar;
    QImage m_image;
    bool m_isTemplate = false;
    std::function<void(const StatusItemClick&)> m_handler;
    QRectF m_frame;
};
