// The scenario loader over arbitrary bytes.
//
// Properties beyond not crashing:
// - a rejection reads "<file>: <where>: <problem>", where <where> is a
//   line and column inside the text for a syntax error, "top level", or a path
//   that leads through the parsed document to the offending value (or to a
//   missing key's place);
// - an accepted file keeps everything it lists: as many installed apps,
//   instances, windows, screens and window-server records as the file has,
//   every window-server record with exactly the file's numbers, pids and
//   window numbers distinct, and the frontmost pid among the instances.

#include "FuzzInput.h"
#include "Platform/Sim/SimScenario.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString fileName = QStringLiteral("fuzz.json");

// Whether `path` (as the loader writes it: keys joined by ".", list positions
// as "[n]") leads from `value` to a value, or, when allowMissing, to a key
// that the object at its end lacks. Keys may hold any character, so every key
// that fits is tried.
bool leadsTo(const QJsonValue& value, QStringView path, bool atRoot, bool allowMissing)
{
    if (path.isEmpty())
        return true;
    if (path.startsWith(QLatin1Char('[')) && value.isArray()) {
        const qsizetype close = path.indexOf(QLatin1Char(']'));
        bool ok = false;
        const qsizetype index = close > 1 ? path.mid(1, close - 1).toLongLong(&ok) : -1;
        const QJsonArray array = value.toArray();
        return ok && index >= 0 && index < array.size() &&
               leadsTo(array.at(index), path.mid(close + 1), false, allowMissing);
    }
    if (!value.isObject())
        return false;
    if (!atRoot) {
        if (!path.startsWith(QLatin1Char('.')))
            return false;
        path = path.mid(1);
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (path.startsWith(it.key()) &&
            leadsTo(it.value(), path.mid(it.key().size()), false, allowMissing))
            return true;
    }
    return allowMissing && !path.isEmpty() && !object.contains(path.toString());
}

void checkSyntaxError(const QByteArray& json, const QString& place)
{
    static const QRegularExpression lineColumn(
        QRegularExpression::anchoredPattern(QStringLiteral("line ([0-9]+), column ([0-9]+): .+")),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = lineColumn.match(place);
    FUZZ_CHECK(match.hasMatch(), QStringLiteral("syntax error without a place: %1").arg(place));
    const qsizetype line = match.captured(1).toLongLong();
    FUZZ_CHECK(line >= 1 && line <= json.count('\n') + 1 && match.captured(2).toLongLong() >= 1,
               QStringLiteral("%1 lies outside the text").arg(place));
}

void checkRejection(const QByteArray& json, const QString& message)
{
    FUZZ_CHECK(message.startsWith(fileName + QStringLiteral(": ")),
               QStringLiteral("message not naming the file: %1").arg(message));
    const QString place = message.mid(fileName.size() + 2);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        checkSyntaxError(json, place);
        return;
    }
    const QJsonValue root =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    // Both the path and the problem may hold ": ", so every split is tried.
    for (qsizetype at = place.indexOf(QStringLiteral(": ")); at >= 0;
         at = place.indexOf(QStringLiteral(": "), at + 1)) {
        const QString where = place.left(at);
        if (where.isEmpty())
            continue;
        const QString problem = place.mid(at + 2);
        if (problem.isEmpty())
            continue;
        if (where == QStringLiteral("top level") ||
            leadsTo(root, where, true, problem == QStringLiteral("missing")))
            return;
    }
    FUZZ_CHECK(false, QStringLiteral("no path into the file in: %1").arg(message));
}

qsizetype listSize(const QJsonObject& object, const QString& key)
{
    return object.value(key).toArray().size();
}

// A window-server record as the loader keeps it holds the file's values:
// numbers equal, lists and dictionaries of the same shape.
bool sameValue(const QVariant& kept, const QJsonValue& written)
{
    switch (written.type()) {
    case QJsonValue::Double: {
        bool ok = false;
        const double number = kept.toDouble(&ok);
        return ok && number == written.toDouble();
    }
    case QJsonValue::Array: {
        const QVariantList list = kept.toList();
        const QJsonArray array = written.toArray();
        if (kept.typeId() != QMetaType::QVariantList || list.size() != array.size())
            return false;
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (!sameValue(list.at(i), array.at(i)))
                return false;
        }
        return true;
    }
    case QJsonValue::Object: {
        const QVariantMap map = kept.toMap();
        const QJsonObject object = written.toObject();
        if (kept.typeId() != QMetaType::QVariantMap || map.size() != object.size())
            return false;
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!map.contains(it.key()) || !sameValue(map.value(it.key()), it.value()))
                return false;
        }
        return true;
    }
    default:
        return kept == written.toVariant();
    }
}

void checkAccepted(const QByteArray& json, const SimModel& model)
{
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    FUZZ_CHECK(model.installedApps.size() == listSize(root, QStringLiteral("installed")),
               QStringLiteral("installed apps lost"));
    FUZZ_CHECK(model.screens.size() == listSize(root, QStringLiteral("screens")),
               QStringLiteral("screens lost"));

    const QJsonArray instances = root.value(QStringLiteral("instances")).toArray();
    FUZZ_CHECK(model.instances.size() == instances.size(), QStringLiteral("instances lost"));
    QSet<pid_t> pids;
    QSet<quint32> windowNumbers;
    qsizetype numberedWindows = 0;
    for (qsizetype i = 0; i < model.instances.size(); ++i) {
        const SimInstance& instance = model.instances.at(i);
        pids.insert(instance.pid);
        FUZZ_CHECK(instance.windows.size() ==
                       listSize(instances.at(i).toObject(), QStringLiteral("windows")),
                   QStringLiteral("windows of instance %1 lost").arg(i));
        for (const SimWindow& window : instance.windows) {
            if (window.windowNumber) {
                windowNumbers.insert(*window.windowNumber);
                ++numberedWindows;
            }
        }
    }
    FUZZ_CHECK(pids.size() == model.instances.size() && !pids.contains(0),
               QStringLiteral("pids not distinct and positive"));
    FUZZ_CHECK(windowNumbers.size() == numberedWindows,
               QStringLiteral("window numbers not distinct"));
    FUZZ_CHECK(!model.frontmostPid || pids.contains(*model.frontmostPid),
               QStringLiteral("frontmost pid of no instance"));

    const QJsonArray records = root.value(QStringLiteral("windowRecords")).toArray();
    FUZZ_CHECK(model.extraWindowRecords.size() == records.size(),
               QStringLiteral("%1 of %2 window-server records kept")
                   .arg(model.extraWindowRecords.size())
                   .arg(records.size()));
    for (qsizetype i = 0; i < records.size(); ++i) {
        FUZZ_CHECK(sameValue(model.extraWindowRecords.at(i), records.at(i)),
                   QStringLiteral("windowRecords[%1] kept as %2")
                       .arg(i)
                       .arg(QVariant(model.extraWindowRecords.at(i)).toString()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const SimScenario::Result result = SimScenario::parse(json, fileName);
    if (const auto* error = std::get_if<SimScenarioError>(&result))
        checkRejection(json, error->message);
    else
        checkAccepted(json, std::get<SimModel>(result));
    return 0;
}
