#pragma once

class QWindow;

namespace Compositing {

// Whether the window system blends the window's translucent pixels with what
// lies behind it. On X11 that takes a compositing manager, which owns the
// "_NET_WM_CM_S<n>" selection of the window's screen; without one, clear
// pixels show black. Elsewhere (Wayland, offscreen) always true, and true
// when the X server cannot be asked.
bool isActive(const QWindow& window);

} // namespace Compositing
