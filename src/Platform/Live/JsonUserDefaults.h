#pragma once

#include "Platform/UserDefaults.h"

#include <QJsonObject>
#include <QSet>
#include <QTimer>
#include <QVariantMap>

#include <chrono>
#include <functional>
#include <optional>

// User defaults kept in a JSON object file. Texts, numbers (always read back
// as double), Booleans, lists and dictionaries keep their kind across a reload.
//
// The file is read whole at creation. A write reads it again, applies only the
// keys this store changed to the file as it is then, and replaces the file
// atomically, so a crash mid-write or a full disk leaves the previous file
// intact, and a key that someone else edited meanwhile survives. Those edits
// are taken in at that moment and announced through changedOutside(); nothing
// watches the file in between.
//
// A file that cannot be parsed, or holds no object, is renamed aside to
// "<name>.corrupt-<yyyyMMdd-HHmmss>" and reported, at creation (the store
// starts empty) as at a write. Every write from then on stores everything
// the store holds, until one succeeds; a missing file meanwhile is not an
// edit that removed the values.
// A write that fails (a full disk, a settings folder that cannot be created)
// is reported, once until a write succeeds or fails for another reason; the
// values are kept in memory and the write is tried again at the end of each
// `repeatInterval` until it succeeds. When the last write, as the store is
// destroyed, fails too, one line names the keys whose changes are lost; a
// store made for a single task reports only that line.
//
// A write goes to the file at once when none went within `repeatInterval`;
// otherwise it waits for the end of that interval, whichever keys it holds,
// and takes every change made meanwhile with it. A drag, whatever keys it
// changes (the panel's centre is three), then reaches the file a few times a
// second instead of being read, written and synced at every mouse move, and
// its last value arrives when the interval ends. Whatever has not reached the
// file goes at synchronize() and when the store does. With nothing left to
// write, no timer runs.
// Not thread-safe: the settings store uses it from the main thread, whose
// event loop ends the intervals.
class JsonUserDefaults final : public UserDefaults {
    Q_OBJECT
public:
    // Receives one line per problem; by default they go to standard error.
    using Reporter = std::function<void(const QString& line)>;

    // A session's store says of a failed write that it is tried again; one
    // made for a single task that ends with it (a render) has no time for
    // that and says at its end only what is lost.
    enum class Lifetime { session, singleTask };

    explicit JsonUserDefaults(QString path, Reporter report = {},
                              Lifetime lifetime = Lifetime::session);
    ~JsonUserDefaults() override;

    // "$XDG_CONFIG_HOME/TesselNav/defaults.json".
    static QString defaultPath();

    QVariant object(const QString& key) const override;
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    void synchronize() override;

private:
    static constexpr std::chrono::milliseconds repeatInterval{200};

    std::optional<QJsonObject> read(const QString& outcome);
    void keepAside(const QString& reason, const QString& outcome);
    void store(const QString& key);
    void writeAndReport();
    std::optional<QString> write();
    QStringList takeIn(const QJsonObject& object);
    std::optional<QString> save(const QJsonObject& object);

    QString m_path;
    Reporter m_report;
    const Lifetime m_lifetime;
    QVariantMap m_values;
    // Keys this store set or removed that the file does not have yet: a
    // change waiting for the interval's end, or one whose write failed.
    QSet<QString> m_unsaved;
    // Set when a file could not be read nor moved aside: writing would destroy it.
    bool m_readOnly = false;
    // The reason the last write failed, already reported; empty after a write
    // that succeeded.
    QString m_reportedSaveFailure;
    // Runs for `repeatInterval` after each write.
    QTimer m_repeatTimer;
};
