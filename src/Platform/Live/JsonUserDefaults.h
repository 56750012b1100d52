#pragma once

#include "Platform/UserDefaults.h"

#include <QVariantMap>

#include <functional>

// User defaults kept in a JSON object file. Texts, numbers (always read back
// as double), Booleans, lists and dictionaries keep their kind across a reload.
//
// Every write replaces the file atomically, so a crash mid-write leaves the
// previous file intact. A file that cannot be parsed, or holds no object, is
// renamed aside to "<name>.corrupt-<yyyyMMdd-HHmmss>" and reported before the
// store starts empty; a write that fails is reported and the value is kept in
// memory. Not thread-safe: the settings store uses it from the main thread.
class JsonUserDefaults final : public UserDefaults {
public:
    // Receives one line per problem; by default they go to standard error.
    using Reporter = std::function<void(const QString& line)>;

    explicit JsonUserDefaults(QString path, Reporter report = {});

    // "$XDG_CONFIG_HOME/TesselNav/defaults.json".
    static QString defaultPath();

    QVariant object(const QString& key) const override;
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

    const QString& path() const { return m_path; }

private:
    void load();
    void keepAside(const QString& reason);
    void save();

    QString m_path;
    Reporter m_report;
    QVariantMap m_values;
    // Set when a damaged file could not be moved aside: writing would destroy it.
    bool m_readOnly = false;
};
