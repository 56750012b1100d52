#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// A typed key-value store. Values are texts (QString), numbers (double),
// Booleans (bool), lists (QVariantList) and dictionaries (QVariantMap). A
// missing key gives an invalid QVariant, so a value of the wrong kind is told
// apart from a missing one. Every write reads back at once and stores only the
// key it names: what other writers stored under other keys stays.
class UserDefaults : public QObject {
    Q_OBJECT
public:
    virtual QVariant object(const QString& key) const = 0;
    virtual void set(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    // Puts what waits to be stored on disk now, for a value that must survive
    // a process that dies the next moment. Stores that write at once have
    // nothing to do.
    virtual void synchronize() {}

    // Typed reads: no value when the key is missing or holds another kind.
    std::optional<QString> string(const QString& key) const;
    std::optional<double> number(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;
    // A list whose elements are all texts.
    std::optional<QStringList> stringList(const QString& key) const;
    // A dictionary whose values are all texts.
    std::optional<QVariantMap> stringMap(const QString& key) const;

signals:
    // Values that another writer (a person editing the file, another process)
    // stored, changed or removed since this store last read them, once they
    // are readable here: the keys concerned.
    void changedOutside(const QStringList& keys);
};
