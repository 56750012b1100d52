#pragma once

#include <QColor>
#include <QString>

// A stable, muted colour for any name: monogram tiles, profile pills without
// a stored colour and the tint fallback, so that one name has one colour
// everywhere. Pure; any thread.
namespace TesselTile {

// The hue in whole degrees, 0 to 359: djb2 over the UTF-8 bytes of the
// lower-cased name, modulo 360; 341 for an empty name.
int hueDegrees(const QString& name);
QColor color(const QString& name);

} // namespace TesselTile
