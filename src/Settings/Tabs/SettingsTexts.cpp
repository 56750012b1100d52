#include "Settings/Tabs/SettingsTexts.h"

#include "Brand/TesselTile.h"
#include "Models/ColorHex.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <optional>

namespace SettingsTexts {

namespace {

// The value with its fraction dropped, or none when that is no 64-bit integer.
std::optional<qint64> wholePart(double value)
{
    const double truncated = std::trunc(value);
    // 2^63 is exactly representable; every double below it converts safely.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(truncated) || truncated >= limit || truncated < -limit)
        return std::nullopt;
    return qint64(truncated);
}

const QString noNumber = QStringLiteral("–");

// UTF-16 order is code-point order except where a surrogate (a character
// beyond U+FFFF) meets a unit from U+E000 up: rank the units so that the
// surrogates come last.
int codePointRank(QChar unit)
{
    const int u = unit.unicode();
    if (u >= 0xE000)
        return u - 0x800;
    if (u >= 0xD800)
        return u + 0x2000;
    return u;
}

bool codePointLess(const QString& a, const QString& b)
{
    const auto [inA, inB] = std::mismatch(a.cbegin(), a.cend(), b.cbegin(), b.cend());
    if (inB == b.cend())
        return false;
    if (inA == a.cend())
        return true;
    return codePointRank(*inA) < codePointRank(*inB);
}

} // namespace

QString pointReadout(double points)
{
    const std::optional<qint64> whole = wholePart(points);
    return QCoreApplication::translate("SettingsTexts", "%1 pt")
        .arg(whole ? QString::number(*whole) : noNumber);
}

QString percentReadout(double fraction)
{
    const std::optional<qint64> whole = wholePart(fraction * 100);
    return QCoreApplication::translate("SettingsTexts", "%1%")
        .arg(whole ? QString::number(*whole) : noNumber);
}

QStringList profileList(const QStringList& knownProfiles,
                        const QMap<QString, QString>& profileColors)
{
    QStringList names = knownProfiles + profileColors.keys();
    std::sort(names.begin(), names.end(), codePointLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

QColor profilePillColor(const QString& name, const QMap<QString, QString>& profileColors)
{
    const auto stored = profileColors.constFind(name);
    if (stored != profileColors.cend()) {
        if (const std::optional<QColor> color = colorFromHex(*stored))
            return *color;
    }
    return TesselTile::color(name);
}

} // namespace SettingsTexts
