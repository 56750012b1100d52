#include "Brand/TesselTile.h"

#include <QByteArray>

namespace TesselTile {

int hueDegrees(const QString& name)
{
    const QByteArray bytes = name.toLower().toUtf8();
    if (bytes.isEmpty())
        return 341;
    quint64 hash = 5381;
    for (const char byte : bytes)
        hash = hash * 33 + quint8(byte); // wraps modulo 2^64 by design
    return int(hash % 360);
}

QColor color(const QString& name)
{
    return QColor::fromHsvF(float(hueDegrees(name) / 360.0), 0.45f, 0.68f, 1.0f);
}

} // namespace TesselTile
