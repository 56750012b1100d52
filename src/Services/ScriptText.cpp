#include "ScriptText.h"

#include "Models/ControlCharacters.h"

#include <QList>

QString ScriptText::tellApplication(Browser browser)
{
    return QStringLiteral("tell application id \"") + browser.bundleID() + QLatin1Char('"');
}

QString ScriptText::escaped(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    QList<char32_t> kept;
    for (const char32_t codePoint : escaped.toUcs4()) {
        if (!isControlOrFormatCharacter(codePoint))
            kept << codePoint;
    }
    return QString::fromUcs4(kept.constData(), kept.size());
}

QString ScriptText::quoted(const QString& text)
{
    return QLatin1Char('"') + escaped(text) + QLatin1Char('"');
}
