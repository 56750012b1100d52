#include "Platform/Live/Widgets/TrayStatusBar.h"

#include "Platform/ScreenCoordinates.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>

namespace {

// Trays draw icons of about this size; a click reports no position of its
// own, so the item's frame is this square around the pointer when the tray
// does not tell its geometry.
constexpr int traySide = 22;

class TrayStatusItem final : public StatusItem {
public:
    TrayStatusItem()
    {
        QObject::connect(&m_icon, &QSystemTrayIcon::activated, &m_icon,
                         [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
    }

    void setImage(const QImage& image, bool isTemplate) override
    {
        const QImage shown =
            isTemplate
                ? templateImageInColor(image, QGuiApplication::palette().windowText().color())
                : image;
        m_icon.setIcon(QIcon(QPixmap::fromImage(shown)));
        m_icon.show();
    }

    void setAccessibilityDescription(const QString& text) override { m_icon.setToolTip(text); }

    void setClickHandler(std::function<void(const StatusItemClick&)> handler) override
    {
        m_handler = std::move(handler);
    }

    QRectF buttonFrame() const override
    {
        const QScreen* primary = QGuiApplication::primaryScreen();
        if (!primary)
            return {};
        QRectF frame = m_icon.geometry();
        if (frame.isEmpty())
            frame = m_lastClickFrame;
        return ScreenCoordinates::toBottomLeft(frame, QRectF(primary->geometry()));
    }

private:
    void activated(QSystemTrayIcon::ActivationReason reason)
    {
        StatusItemClick click;
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            click.button = StatusItemClick::Button::left;
            break;
        case QSystemTrayIcon::Context:
            click.button = StatusItemClick::Button::right;
            break;
        default:
            return;
        }
        click.controlHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
        const QPoint pointer = QCursor::pos();
        m_lastClickFrame =
            QRectF(pointer.x() - traySide / 2, pointer.y() - traySide / 2, traySide, traySide);
        if (m_handler)
            m_handler(click);
    }

    QSystemTrayIcon m_icon;
    std::function<void(const StatusItemClick&)> m_handler;
    QRectF m_lastClickFrame;
};

} // namespace

std::unique_ptr<StatusItem> TrayStatusBar::createSquareItem()
{
    return std::make_unique<TrayStatusItem>();
}
