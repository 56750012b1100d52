#include "JsonNode.h"

#include "Platform/TextPosition.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

QString kindName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("true or false");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

} // namespace

void JsonNode::fail(const QString& problem) const
{
    throw JsonSchemaError{m_path, problem};
}

void JsonNode::expected(const QString& what) const
{
    fail(QStringLiteral("expected %1, found %2").arg(what, kindName(m_value)));
}

QString JsonNode::memberPath(const QString& path, const QString& key)
{
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

QString JsonNode::elementPath(const QString& path, qsizetype index)
{
    return path + QStringLiteral("[%1]").arg(index);
}

QString JsonNode::text() const
{
    if (!m_value.isString())
        expected(QStringLiteral("a string"));
    return m_value.toString();
}

bool JsonNode::flag() const
{
    if (!m_value.isBool())
        expected(QStringLiteral("true or false"));
    return m_value.toBool();
}

double JsonNode::number() const
{
    if (!m_value.isDouble())
        expected(QStringLiteral("a number"));
    return m_value.toDouble();
}

double JsonNode::number(double low, double high) const
{
    const double value = number();
    if (value < low || value > high)
        fail(QStringLiteral("%1 is out of range (%2 to %3)").arg(value).arg(low).arg(high));
    return value;
}

qint64 JsonNode::wholeNumber(qint64 low, qint64 high) const
{
    const double value = number();
    if (value != std::floor(value))
        fail(QStringLiteral("expected a whole number, found %1").arg(value));
    // A double converts to qint64 only below 2^63 and from -2^63 on; both
    // bounds are exact in a double.
    constexpr double twoToThe63 = 9223372036854775808.0;
    if (value < -twoToThe63 || value >= twoToThe63 || qint64(value) < low || qint64(value) > high)
        fail(QStringLiteral("%1 is out of range (%2 to %3)").arg(value).arg(low).arg(high));
    return qint64(value);
}

QList<JsonNode> JsonNode::list() const
{
    if (!m_value.isArray())
        expected(QStringLiteral("a list"));
    QList<JsonNode> nodes;
    const QJsonArray array = m_value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i)
        nodes.append(element(i));
    return nodes;
}

QList<JsonNode> JsonNode::list(qsizetype count, const QString& what) const
{
    if (!m_value.isArray() || m_value.toArray().size() != count)
        expected(what);
    return list();
}

QStringList JsonNode::texts() const
{
    QStringList result;
    for (const JsonNode& node : list())
        result << node.text();
    return result;
}

QList<std::pair<QString, JsonNode>> JsonNode::members() const
{
    if (!m_value.isObject())
        expected(QStringLiteral("an object"));
    QList<std::pair<QString, JsonNode>> result;
    for (const QString& key : m_value.toObject().keys())
        result.append({key, member(key)});
    return result;
}

JsonNode JsonNode::member(const QString& key) const
{
    return JsonNode(m_value.toObject().value(key), memberPath(m_path, key));
}

JsonNode JsonNode::element(qsizetype index) const
{
    const QJsonArray array = m_value.toArray();
    return JsonNode(index >= 0 && index < array.size() ? array.at(index) : QJsonValue::Undefined,
                    elementPath(m_path, index));
}

std::variant<JsonNode, QString> JsonNode::parse(const QByteArray& json, const QString& fileName)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const TextPosition where = TextPosition::at(json, error.offset);
        // One arg() call: a file name holding "%2" must not take the place
        // of what follows it.
        return QStringLiteral("%1: line %2, column %3: %4")
            .arg(fileName, QString::number(where.line), QString::number(where.column),
                 error.errorString());
    }
    return JsonNode(document.isObject() ? QJsonValue(document.object())
                                        : QJsonValue(document.array()),
                    QString());
}

QString JsonNode::describe(const QString& fileName, const JsonSchemaError& error)
{
    const QString where = error.path.isEmpty() ? QStringLiteral("top level") : error.path;
    return QStringLiteral("%1: %2: %3").arg(fileName, where, error.problem);
}
