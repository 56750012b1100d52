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
    void synchronize() override { m_synchronized = m_values; }

    const QVariantMap& values() const { return m_values; }
    // The values as the last synchronize() found them: what a store that
    // writes later would surely have on disk.
    const QVariantMap& synchronizedValues() const { return m_synchronized; }

private:
    QVariantMap m_values;
    QVariantMap m_synchronized;
};
