#include "UserDefaults.h"

std::optional<QString> UserDefaults::string(const QString& key) const
{
    const QVariant value = object(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<double> UserDefaults::number(const QString& key) const
{
    const QVariant value = object(key);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toDouble();
    default:
        return std::nullopt;
    }
}

std::optional<bool> UserDefaults::boolean(const QString& key) const
{
    const QVariant value = object(key);
    if (value.typeId() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

std::optional<QStringList> UserDefaults::stringList(const QString& key) const
{
    const QVariant value = object(key);
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return std::nullopt;
    QStringList texts;
    for (const QVariant& element : value.toList()) {
        if (element.typeId() != QMetaType::QString)
            return std::nullopt;
        texts << element.toString();
    }
    return texts;
}

std::optional<QVariantMap> UserDefaults::stringMap(const QString& key) const
{
    const QVariant value = object(key);
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    QVariantMap map = value.toMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QString)
            return std::nullopt;
    }
    return map;
}
