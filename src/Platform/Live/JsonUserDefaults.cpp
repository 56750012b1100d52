#include "JsonUserDefaults.h"

#include "Platform/AtomicFile.h"
#include "Platform/TextPosition.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// The kinds a defaults value can have; anything else is stored as JSON gives
// it back (null for what JSON cannot hold).
QVariant fromJson(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
        return value.toDouble();
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue& element : value.toArray())
            list << fromJson(element);
        return list;
    }
    case QJsonValue::Object: {
        QVariantMap map;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(), fromJson(it.value()));
        return map;
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return {};
}

QJsonValue toJson(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toDouble();
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QJsonArray array;
        for (const QVariant& element : value.toList())
            array.append(toJson(element));
        return array;
    }
    case QMetaType::QVariantMap: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            object.insert(it.key(), toJson(it.value()));
        return object;
    }
    default:
        return QJsonValue::fromVariant(value);
    }
}

QVariantMap valuesOf(const QJsonObject& object)
{
    QVariantMap values;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QVariant value = fromJson(it.value());
        if (value.isValid())
            values.insert(it.key(), value);
    }
    return values;
}

} // namespace

JsonUserDefaults::JsonUserDefaults(QString path, Reporter report, Lifetime lifetime)
    : m_path(std::move(path)), m_report(std::move(report)), m_lifetime(lifetime)
{
    if (!m_report) {
        m_report = [](const QString& line) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(line));
            std::fflush(stderr);
        };
    }
    if (const std::optional<QJsonObject> object = read(QStringLiteral("the settings start empty")))
        m_values = valuesOf(*object);
    m_repeatTimer.setSingleShot(true);
    m_repeatTimer.setInterval(repeatInterval);
    // Also what tries a failed write again, until it succeeds: a change must
    // not wait for the next one, or for the end, to reach the file.
    connect(&m_repeatTimer, &QTimer::timeout, this, [this] {
        if (m_unsaved.isEmpty() || m_readOnly)
            return;
        writeAndReport();
        m_repeatTimer.start();
    });
}

JsonUserDefaults::~JsonUserDefaults()
{
    if (m_unsaved.isEmpty() || m_readOnly)
        return;
    const std::optional<QString> failure = write();
    if (!failure)
        return;
    QStringList lost(m_unsaved.cbegin(), m_unsaved.cend());
    lost.sort();
    m_report(QStringLiteral("Tessel Nav: could not save the settings to %1 (%2); the changes "
                            "to %3 are lost.")
                 .arg(m_path, *failure, lost.join(QStringLiteral(", "))));
}

QString JsonUserDefaults::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/TesselNav/defaults.json");
}

QVariant JsonUserDefaults::object(const QString& key) const
{
    return m_values.value(key);
}

void JsonUserDefaults::set(const QString& key, const QVariant& value)
{
    // Held as a reload would give it back, so its kind never changes.
    m_values.insert(key, fromJson(toJson(value)));
    store(key);
}

void JsonUserDefaults::remove(const QString& key)
{
    m_values.remove(key);
    store(key);
}

void JsonUserDefaults::synchronize()
{
    if (!m_unsaved.isEmpty())
        writeAndReport();
}

// The file's object as it is now; an empty one when there is no file. Nothing
// when it cannot be used, reported with the given outcome: a damaged file is
// moved aside, and one that cannot be read or moved makes the store read-only,
// since a write would destroy it.
std::optional<QJsonObject> JsonUserDefaults::read(const QString& outcome)
{
    QFile file(m_path);
    if (!file.exists())
        return QJsonObject();
    if (!file.open(QIODevice::ReadOnly)) {
        m_readOnly = true;
        m_report(QStringLiteral("Tessel Nav: cannot read the settings file %1 (%2); %3 and "
                                "changes will not be saved this session.")
                     .arg(m_path, file.errorString(), outcome));
        return std::nullopt;
    }
    const QByteArray text = file.readAll();
    file.close();

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        const TextPosition where = TextPosition::at(text, error.offset);
        keepAside(QStringLiteral("%1 at line %2, column %3")
                      .arg(error.errorString())
                      .arg(where.line)
                      .arg(where.column),
                  outcome);
        return std::nullopt;
    }
    if (!document.isObject()) {
        keepAside(QStringLiteral("it holds no JSON object"), outcome);
        return std::nullopt;
    }
    return document.object();
}

// Moves a damaged file out of the way, so that the next write cannot destroy
// what someone may still want to recover.
void JsonUserDefaults::keepAside(const QString& reason, const QString& outcome)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside =
            m_path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);

    if (QFile::rename(m_path, aside)) {
        // No file holds any value held here now: until a write lands, each one
        // writes them all, and a missing file takes none of them away.
        for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
            m_unsaved.insert(it.key());
        m_report(QStringLiteral("Tessel Nav: the settings file %1 could not be read (%2); it was "
                                "kept as %3 and %4.")
                     .arg(m_path, reason, aside, outcome));
        return;
    }
    m_readOnly = true;
    m_report(QStringLiteral("Tessel Nav: the settings file %1 could not be read (%2) nor moved "
                            "aside; %3 and changes will not be saved this session.")
                 .arg(m_path, reason, outcome));
}

void JsonUserDefaults::store(const QString& key)
{
    m_unsaved.insert(key);
    if (m_repeatTimer.isActive())
        return;
    writeAndReport();
    m_repeatTimer.start();
}

// A full disk fails every write of a drag, and every try after it, alike:
// one line says why.
void JsonUserDefaults::writeAndReport()
{
    const std::optional<QString> failure = write();
    if (!failure) {
        m_reportedSaveFailure.clear();
        return;
    }
    // A store that ends with its one task has no later try to promise; its
    // end names what is lost.
    if (m_lifetime == Lifetime::singleTask || *failure == m_reportedSaveFailure)
        return;
    m_reportedSaveFailure = *failure;
    m_report(QStringLiteral("Tessel Nav: could not save the settings to %1 (%2); the change is "
                            "kept and tried again until it is saved.")
                 .arg(m_path, *failure));
}

// Writes the unsaved keys into the file as it is now; the reason when the
// file could not be written. A file that had to be moved aside is replaced
// by everything this store holds, since every key is unsaved then.
std::optional<QString> JsonUserDefaults::write()
{
    if (m_readOnly)
        return std::nullopt;
    const std::optional<QJsonObject> onDisk =
        read(QStringLiteral("the settings go on as the program holds them"));
    if (!onDisk && m_readOnly)
        return std::nullopt;

    const QStringList changed = onDisk ? takeIn(*onDisk) : QStringList();
    QJsonObject object = onDisk.value_or(QJsonObject());
    for (const QString& unsaved : std::as_const(m_unsaved)) {
        if (const auto it = m_values.constFind(unsaved); it != m_values.cend())
            object.insert(unsaved, toJson(*it));
        else
            object.remove(unsaved);
    }
    std::optional<QString> failure;
    if (!onDisk || object != *onDisk)
        failure = save(object);
    if (!failure)
        m_unsaved.clear();
    if (!changed.isEmpty())
        emit changedOutside(changed);
    return failure;
}

// Takes the file's values in, except under the keys this store has yet to
// write; gives the keys whose values differ from those held before.
QStringList JsonUserDefaults::takeIn(const QJsonObject& object)
{
    QVariantMap values = valuesOf(object);
    for (const QString& key : std::as_const(m_unsaved)) {
        if (const auto it = m_values.constFind(key); it != m_values.cend())
            values.insert(key, *it);
        else
            values.remove(key);
    }
    QStringList keys = m_values.keys() + values.keys();
    keys.removeDuplicates();
    keys.sort();
    QStringList changed;
    for (const QString& key : std::as_const(keys)) {
        if (values.value(key) != m_values.value(key))
            changed << key;
    }
    m_values = std::move(values);
    return changed;
}

std::optional<QString> JsonUserDefaults::save(const QJsonObject& object)
{
    // Said as such: the write into a folder that is not there would only
    // say "No such file or directory".
    const QString folder = QFileInfo(m_path).absolutePath();
    std::error_code notCreated;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), notCreated);
    if (notCreated)
        return QStringLiteral("the folder %1 could not be created: %2")
            .arg(folder, QString::fromStdString(notCreated.message()));
    // Qt's reader drops a byte-order mark written as such at the start of a
    // text, so a name beginning with U+FEFF would lose it at the next start;
    // written as an escape it reads back whole. Outside texts the JSON holds
    // no such character.
    const std::optional<FileWriteError> error = AtomicFile::write(
        m_path,
        QJsonDocument(object).toJson(QJsonDocument::Indented).replace("\xEF\xBB\xBF", "\\ufeff"));
    if (error)
        return error->cause;
    return std::nullopt;
}
