#include "AppleScript.h"

#include <QStringList>

int AEDescriptor::numberOfItems() const
{
    if (const auto* items = std::get_if<QList<AEDescriptor>>(&m_value))
        return int(items->size());
    return 0;
}

std::optional<AEDescriptor> AEDescriptor::descriptorAtIndex(int index) const
{
    const auto* items = std::get_if<QList<AEDescriptor>>(&m_value);
    if (!items || index < 1 || index > items->size())
        return std::nullopt;
    return items->at(index - 1);
}

std::optional<QString> AEDescriptor::stringValue() const
{
    switch (m_kind) {
    case Kind::Text:
        return std::get<QString>(m_value);
    case Kind::Integer:
        return QString::number(std::get<qint32>(m_value));
    case Kind::Boolean:
        return std::get<bool>(m_value) ? QStringLiteral("true") : QStringLiteral("false");
    case Kind::Null:
    case Kind::List:
        break;
    }
    return std::nullopt;
}

qint32 AEDescriptor::int32Value() const
{
    switch (m_kind) {
    case Kind::Integer:
        return std::get<qint32>(m_value);
    case Kind::Boolean:
        return std::get<bool>(m_value) ? 1 : 0;
    case Kind::Text: {
        bool ok = false;
        const qint32 value = std::get<QString>(m_value).trimmed().toInt(&ok);
        return ok ? value : 0;
    }
    case Kind::Null:
    case Kind::List:
        break;
    }
    return 0;
}

bool AEDescriptor::booleanValue() const
{
    switch (m_kind) {
    case Kind::Boolean:
        return std::get<bool>(m_value);
    case Kind::Integer:
        return std::get<qint32>(m_value) != 0;
    case Kind::Text:
        return std::get<QString>(m_value).compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
    case Kind::Null:
    case Kind::List:
        break;
    }
    return false;
}

QString describeErrorInfo(const QVariantMap& errorInfo)
{
    QStringList parts;
    for (auto it = errorInfo.cbegin(); it != errorInfo.cend(); ++it)
        parts << QStringLiteral("%1 = %2;").arg(it.key(), it.value().toString());
    return QStringLiteral("{") + parts.join(QLatin1Char(' ')) + QStringLiteral("}");
}
