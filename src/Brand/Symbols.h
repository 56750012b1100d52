#pragma once

#include <QColor>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

// The named system symbols the interface shows ("macwindow", "leaf", ...),
// drawn in this project as single-colour SVG files under the resource folder
// ":/symbols/", one file per name. Each is tinted to the colour asked for.
namespace Symbols {

QString resourcePath(const QString& name);
bool exists(const QString& name);

// Draws the symbol fitted into the rectangle, keeping its aspect ratio.
// False, drawing nothing, for an unknown name. What it drew is kept in Qt's
// pixmap cache, so it is for the GUI thread only.
bool paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color);

// The symbol as a pixmap of side × side points at the given device pixel
// ratio; a null pixmap for an unknown name.
QPixmap pixmap(const QString& name, double side, const QColor& color, double devicePixelRatio = 1);

} // namespace Symbols
