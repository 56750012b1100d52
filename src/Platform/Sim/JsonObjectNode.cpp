#include "JsonObjectNode.h"

JsonObjectNode::JsonObjectNode(const JsonNode& node, const QStringList& allowed) : m_node(node)
{
    if (!node.value().isObject())
        node.expected(QStringLiteral("an object"));
    for (const QString& key : keys()) {
        if (!allowed.contains(key))
            node.member(key).fail(
                QStringLiteral("unknown key (known here: %1)").arg(allowed.join(", ")));
    }
}

JsonNode JsonObjectNode::required(const QString& key) const
{
    if (!has(key))
        (*this)[key].fail(QStringLiteral("missing"));
    return (*this)[key];
}

QString JsonObjectNode::text(const QString& key, const QString& fallback) const
{
    return has(key) ? (*this)[key].text() : fallback;
}

bool JsonObjectNode::flag(const QString& key, bool fallback) const
{
    return has(key) ? (*this)[key].flag() : fallback;
}
