#include "Platform/Live/Compositing.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWindow>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

#include <cstdlib>
#include <memory>

namespace {

#if QT_CONFIG(xcb)
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// The number of the X screen whose root window is this one.
int screenNumber(xcb_connection_t* connection, xcb_window_t root)
{
    int number = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it), ++number) {
        if (it.data->root == root)
            return number;
    }
    return 0;
}
#endif

} // namespace

bool Compositing::isActive(const QWindow& window)
{
#if QT_CONFIG(xcb)
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return true;
    xcb_connection_t* connection = x11->connection();
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, xcb_window_t(window.winId())), nullptr));
    if (!geometry)
        return true;
    const QByteArray selection =
        "_NET_WM_CM_S" + QByteArray::number(screenNumber(connection, geometry->root));
    // A selection name that was never made into an atom was never owned.
    const Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, quint16(selection.size()), selection.constData()), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
#else
    Q_UNUSED(window);
    return true;
#endif
}
