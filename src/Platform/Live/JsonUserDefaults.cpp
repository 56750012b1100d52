#include "JsonUserDefaults.h"

#include "Platform/TextPosition.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdio>

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

} // namespace

JsonUserDefaults::JsonUserDefaults(QString path, Reporter report)
    : m_path(std::move(path)), m_report(std::move(report))
{
    if (!m_report) {
        m_report = [](const QString& line) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(line));
            std::fflush(stderr);
        };
    }
    load();
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
    save();
}

void JsonUserDefaults::remove(const QString& key)
{
    if (m_values.remove(key) > 0)
        save();
}

void JsonUserDefaults::load()
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_readOnly = true;
        m_report(QStringLiteral("Tessel Nav: cannot read the settings file %1 (%2); settings "
                                "start empty and changes will not be saved this session.")
                     .arg(m_path, file.errorString()));
        return;
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
                      .arg(where.column));
        return;
    }
    if (!document.isObject()) {
        keepAside(QStringLiteral("it holds no JSON object"));
        return;
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QVariant value = fromJson(it.value());
        if (value.isValid())
            m_values.insert(it.key(), value);
    }
}

// Moves a damaged file out of the way, so that the next write cannot destroy
// what someone may still want to recover.
void JsonUserDefaults::keepAside(const QString& reason)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside =
            m_path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);

    if (QFile::rename(m_path, aside)) {
        m_report(QStringLiteral("Tessel Nav: the settings file %1 could not be read (%2); it was "
                                "kept as %3 and the settings start empty.")
                     .arg(m_path, reason, aside));
        return;
    }
    m_readOnly = true;
    m_report(QStringLiteral("Tessel Nav: the settings file %1 could not be read (%2) nor moved "
                            "aside; the settings start empty and changes will not be saved this "
                            "session.")
                 .arg(m_path, reason));
}

void JsonUserDefaults::save()
{
    if (m_readOnly)
        return;
    QJsonObject object;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
        object.insert(it.key(), toJson(it.value()));

    QSaveFile file(m_path);
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    if (file.open(QIODevice::WriteOnly)) {
        // Qt's reader drops a byte-order mark written as such at the start of
        // a text, so a name beginning with U+FEFF would lose it at the next
        // start; written as an escape it reads back whole. Outside texts the
        // JSON holds no such character.
        file.write(QJsonDocument(object)
                       .toJson(QJsonDocument::Indented)
                       .replace("\xEF\xBB\xBF", "\\ufeff"));
        if (file.commit())
            return;
    }
    m_report(QStringLiteral("Tessel Nav: could not save the settings to %1 (%2); the change "
                            "holds until the program ends.")
                 .arg(m_path, file.errorString()));
}
