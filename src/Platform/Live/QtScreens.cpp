#include "QtScreens.h"

#include "Platform/ScreenCoordinates.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace {

ScreenInfo info(const QScreen& screen, const QRectF& primary)
{
    return ScreenInfo{ScreenCoordinates::toBottomLeft(QRectF(screen.geometry()), primary),
                      ScreenCoordinates::toBottomLeft(QRectF(screen.availableGeometry()), primary),
                      screen.name()};
}

QRectF primaryGeometry()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF();
}

} // namespace

QList<ScreenInfo> QtScreens::screens() const
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return {};
    const QRectF geometry = primaryGeometry();
    QList<ScreenInfo> result{info(*primary, geometry)};
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            result << info(*screen, geometry);
    }
    return result;
}

std::optional<ScreenInfo> QtScreens::mainScreen() const
{
    const QWindow* focused = QGuiApplication::focusWindow();
    const QScreen* screen = focused ? focused->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return info(*screen, primaryGeometry());
}

QPointF QtScreens::mouseLocation() const
{
    return ScreenCoordinates::toBottomLeft(QPointF(QCursor::pos()), primaryGeometry());
}
