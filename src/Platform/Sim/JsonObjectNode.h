#pragma once

#include "Platform/Sim/JsonNode.h"

#include <QJsonObject>
#include <QStringList>

// A JSON object that may hold only the keys a format allows: an unknown key,
// or a value that is no object at all, rejects the document (see JsonNode).
class JsonObjectNode {
public:
    JsonObjectNode(const JsonNode& node, const QStringList& allowed);

    bool has(const QString& key) const { return m_node.value().toObject().contains(key); }
    // The member; an absent one reads as a JSON undefined value.
    JsonNode operator[](const QString& key) const { return m_node.member(key); }
    // The member, or a "missing" rejection.
    JsonNode required(const QString& key) const;
    // The keys present, in key order.
    QStringList keys() const { return m_node.value().toObject().keys(); }

    // Optional members with the value taken when absent.
    QString text(const QString& key, const QString& fallback) const;
    bool flag(const QString& key, bool fallback) const;

private:
    JsonNode m_node;
};
