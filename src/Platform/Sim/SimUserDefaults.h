#pragma once

#include "Platform/UserDefaults.h"

#include <QVariantMap>

// User defaults in memory, for tests.
class SimUserDefaults final : public UserDefaults {
public:
    SimUserDefaults() = default;
    explicit SimUserDefaults(QVariantMap values) : m_values(std::move(values)) {}

    QVariant object(const QString& key) const override { return m_values.value(key); }
    void set(const QString& key, const QVariant& value) override { m_values.insert(key, value); }
    void remove(const QString& key) override { m_values.remove(key); }

    const QVariantMap& values() const { return m_values; }

private:
    QVariantMap m_values;
};
