#pragma once

#include <QColor>
#include <QMap>
#include <QString>
#include <QStringList>

// The texts and small derived values of the settings tabs, testable without
// a window.
namespace SettingsTexts {

// A length setting as whole points, the fraction dropped: 26.9 reads "26 pt".
// A value with no whole-number form (not a number, or beyond the integer
// range, which only a hand-edited settings file holds) reads "– pt".
QString pointReadout(double points);
// A fraction as a whole percentage, the fraction dropped: 0.57 reads "56%",
// since 0.57 × 100 is just below 57 in double precision.
QString percentReadout(double fraction);

// The profiles the Appearance tab offers a colour for: the known ones and the
// ones with a stored colour, once each, by plain case-sensitive comparison
// in code-point order (Work sorts before home, and a name with a character
// beyond U+FFFF after one with U+FFFD in its place).
QStringList profileList(const QStringList& knownProfiles,
                        const QMap<QString, QString>& profileColors);

// A profile pill's colour: the stored one when it reads as a colour, else the
// automatic colour of the name.
QColor profilePillColor(const QString& name, const QMap<QString, QString>& profileColors);

} // namespace SettingsTexts
