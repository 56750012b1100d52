#include "QtScreens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace {

ScreenInfo info(const QScreen& screen, const QRectF& primary)
{
    return ScreenInfo{QtScreens::toBottomLeft(QRectF(screen.geometry()), primary),
                      QtScreens::toBottomLeft(QRectF(screen.availableGeometry()), primary),
                      screen.name()};
}

QRectF primaryGeometry()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF();
}

} // namespace

QRectF QtScreens::toBottomLeft(const QRectF& rect, const QRectF& primary)
{
    return QRectF(rect.x() - primary.x(), primary.y() + primary.height() - rect.y() - rect.height(),
                  rect.width(), rect.height());
}

QPointF QtScreens::toBottomLeft(const QPointF& point, const QRectF& primary)
{
    return QPointF(point.x() - primary.x(), primary.y() + primary.height() - point.y());
}

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
    return toBottomLeft(QPointF(QCursor::pos()), primaryGeometry());
}
