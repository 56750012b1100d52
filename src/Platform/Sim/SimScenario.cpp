#include "SimScenario.h"

#include "Models/Browser.h"
#include "Models/ColorHex.h"
#include "Platform/TextPosition.h"
#include "Platform/WindowServer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <limits>

namespace {

// Thrown inside the loader only; parse() turns it into a SimScenarioError.
struct SchemaError {
    QString path;
    QString problem;
};

QString kindName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("true or false");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

[[noreturn]] void fail(const QString& path, const QString& problem)
{
    throw SchemaError{path, problem};
}

[[noreturn]] void expected(const QString& path, const QString& what, const QJsonValue& found)
{
    fail(path, QStringLiteral("expected %1, found %2").arg(what, kindName(found)));
}

QString member(const QString& path, const QString& key)
{
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

QString element(const QString& path, qsizetype index)
{
    return path + QStringLiteral("[%1]").arg(index);
}

// One JSON value with its path. Typed reads fail with the path and the kind
// that was found instead.
class Node {
public:
    Node(QJsonValue value, QString path) : m_value(std::move(value)), m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    const QJsonValue& value() const { return m_value; }

    QString text() const
    {
        if (!m_value.isString())
            expected(m_path, QStringLiteral("a string"), m_value);
        return m_value.toString();
    }
    double number() const
    {
        if (!m_value.isDouble())
            expected(m_path, QStringLiteral("a number"), m_value);
        return m_value.toDouble();
    }
    qint64 wholeNumber(qint64 low, qint64 high) const
    {
        const double value = number();
        if (value != std::floor(value))
            fail(m_path, QStringLiteral("expected a whole number, found %1").arg(value));
        if (value < double(low) || value > double(high))
            fail(m_path,
                 QStringLiteral("%1 is out of range (%2 to %3)").arg(value).arg(low).arg(high));
        return qint64(value);
    }
    // A wait of the simulated host: up to a day, so that it always converts
    // to a clock time.
    double seconds() const
    {
        const double value = number();
        if (value < 0 || value > 86400)
            fail(m_path, QStringLiteral("%1 is out of range (0 to 86400)").arg(value));
        return value;
    }
    bool flag() const
    {
        if (!m_value.isBool())
            expected(m_path, QStringLiteral("true or false"), m_value);
        return m_value.toBool();
    }
    QList<Node> list() const
    {
        if (!m_value.isArray())
            expected(m_path, QStringLiteral("a list"), m_value);
        QList<Node> nodes;
        const QJsonArray array = m_value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i)
            nodes.append(Node(array.at(i), element(m_path, i)));
        return nodes;
    }
    QList<double> numbers(qsizetype count, const QString& what) const
    {
        if (!m_value.isArray() || m_value.toArray().size() != count)
            expected(m_path, what, m_value);
        QList<double> values;
        for (const Node& node : list())
            values << node.number();
        return values;
    }
    QRectF rect() const
    {
        const QList<double> v = numbers(4, QStringLiteral("a list [x, y, width, height]"));
        return QRectF(v[0], v[1], v[2], v[3]);
    }
    QPointF point() const
    {
        const QList<double> v = numbers(2, QStringLiteral("a list [x, y]"));
        return QPointF(v[0], v[1]);
    }
    QColor color() const
    {
        const std::optional<QColor> color = colorFromHex(text());
        if (!color || !text().startsWith(QLatin1Char('#')))
            fail(m_path, QStringLiteral("expected a colour \"#RRGGBB\", found \"%1\"").arg(text()));
        return *color;
    }
    QStringList texts() const
    {
        QStringList result;
        for (const Node& node : list())
            result << node.text();
        return result;
    }

private:
    QJsonValue m_value;
    QString m_path;
};

// An object whose keys are checked against the ones the format allows.
class Object {
public:
    Object(const Node& node, const QStringList& allowed) : m_path(node.path())
    {
        if (!node.value().isObject())
            expected(node.path(), QStringLiteral("an object"), node.value());
        m_object = node.value().toObject();
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            if (!allowed.contains(it.key())) {
                fail(member(m_path, it.key()),
                     QStringLiteral("unknown key (known here: %1)").arg(allowed.join(", ")));
            }
        }
    }

    bool has(const QString& key) const { return m_object.contains(key); }
    Node operator[](const QString& key) const
    {
        return Node(m_object.value(key), member(m_path, key));
    }
    Node required(const QString& key) const
    {
        if (!has(key))
            fail(member(m_path, key), QStringLiteral("missing"));
        return (*this)[key];
    }
    const QString& path() const { return m_path; }

    QString text(const QString& key, const QString& fallback) const
    {
        return has(key) ? (*this)[key].text() : fallback;
    }
    double seconds(const QString& key) const { return has(key) ? (*this)[key].seconds() : 0; }
    bool flag(const QString& key, bool fallback) const
    {
        return has(key) ? (*this)[key].flag() : fallback;
    }

private:
    QJsonObject m_object;
    QString m_path;
};

template <typename E, size_t N>
E named(const Node& node, const std::array<std::pair<const char*, E>, N>& names)
{
    const QString text = node.text();
    QStringList known;
    for (const auto& [name, value] : names) {
        if (text == QLatin1String(name))
            return value;
        known << QLatin1String(name);
    }
    fail(node.path(),
         QStringLiteral("unknown value \"%1\" (known: %2)").arg(text, known.join(", ")));
}

constexpr std::array axErrors{
    std::pair{"success", AXError::Success},
    std::pair{"failure", AXError::Failure},
    std::pair{"illegalArgument", AXError::IllegalArgument},
    std::pair{"invalidElement", AXError::InvalidElement},
    std::pair{"cannotComplete", AXError::CannotComplete},
    std::pair{"attributeUnsupported", AXError::AttributeUnsupported},
    std::pair{"actionUnsupported", AXError::ActionUnsupported},
    std::pair{"noValue", AXError::NoValue},
    std::pair{"notImplemented", AXError::NotImplemented},
    std::pair{"apiDisabled", AXError::APIDisabled},
};

constexpr std::array loginItemStatuses{
    std::pair{"notRegistered", LoginItemStatus::notRegistered},
    std::pair{"enabled", LoginItemStatus::enabled},
    std::pair{"requiresApproval", LoginItemStatus::requiresApproval},
    std::pair{"notFound", LoginItemStatus::notFound},
};

constexpr qint64 int32Max = std::numeric_limits<qint32>::max();
constexpr qint64 int32Min = std::numeric_limits<qint32>::min();

struct AppIdentity {
    QString bundleID;
    QString name;
    std::optional<Browser> browser;
};

// A roster app named by raw value or bundle id.
Browser rosterApp(const Node& node)
{
    const QString text = node.text();
    std::optional<Browser> browser = Browser::fromRawValue(text);
    if (!browser)
        browser = Browser::from(text);
    if (!browser) {
        fail(node.path(), QStringLiteral("unknown app \"%1\": not a roster app's name or bundle "
                                         "id (give \"bundleID\" and \"name\" instead)")
                              .arg(text));
    }
    return *browser;
}

// "app" names a roster app; otherwise "bundleID" (and "name" unless it is a
// roster app's) describe any other app.
AppIdentity appIdentity(const Object& object)
{
    if (object.has(QStringLiteral("app"))) {
        const Browser browser = rosterApp(object[QStringLiteral("app")]);
        if (object.has(QStringLiteral("bundleID")))
            fail(member(object.path(), QStringLiteral("bundleID")),
                 QStringLiteral("give either \"app\" or \"bundleID\", not both"));
        return AppIdentity{browser.bundleID(),
                           object.text(QStringLiteral("name"), browser.displayName()), browser};
    }
    if (!object.has(QStringLiteral("bundleID")))
        fail(member(object.path(), QStringLiteral("app")), QStringLiteral("missing"));
    const QString bundleID = object[QStringLiteral("bundleID")].text();
    const std::optional<Browser> browser = Browser::from(bundleID);
    if (!browser && !object.has(QStringLiteral("name"))) {
        fail(member(object.path(), QStringLiteral("bundleID")),
             QStringLiteral("unknown app \"%1\": an app outside the roster needs a \"name\"")
                 .arg(bundleID));
    }
    return AppIdentity{
        bundleID, object.text(QStringLiteral("name"), browser ? browser->displayName() : QString()),
        browser};
}

SimApp installedApp(const Node& node)
{
    SimApp app;
    AppIdentity identity;
    if (node.value().isString()) {
        // Shorthand: a roster app by name or bundle id.
        const Browser browser = rosterApp(node);
        identity = AppIdentity{browser.bundleID(), browser.displayName(), browser};
    } else {
        const Object object(node, {"app", "bundleID", "name", "path", "iconColor"});
        identity = appIdentity(object);
        if (object.has(QStringLiteral("path")))
            app.path = object[QStringLiteral("path")].text();
        if (object.has(QStringLiteral("iconColor")))
            app.iconColor = object[QStringLiteral("iconColor")].color();
    }
    app.bundleID = identity.bundleID;
    app.name = identity.name;
    if (app.path.isEmpty())
        app.path = QStringLiteral("/Applications/") + app.name + QStringLiteral(".app");
    if (!app.iconColor.isValid() && identity.browser)
        app.iconColor = identity.browser->badgeColor();
    return app;
}

SimAttributeOverride attributeOverride(const Node& node)
{
    const Object object(node, {"error", "text", "bool", "number", "point", "size", "none"});
    const QJsonObject raw = node.value().toObject();
    if (raw.size() != 1)
        fail(node.path(), QStringLiteral("expected exactly one of: error, text, bool, number, "
                                         "point, size, none"));
    SimAttributeOverride result;
    if (object.has(QStringLiteral("error")))
        result.error = named(object[QStringLiteral("error")], axErrors);
    else if (object.has(QStringLiteral("text")))
        result.value = object[QStringLiteral("text")].text();
    else if (object.has(QStringLiteral("bool")))
        result.value = object[QStringLiteral("bool")].flag();
    else if (object.has(QStringLiteral("number")))
        result.value = object[QStringLiteral("number")].number();
    else if (object.has(QStringLiteral("point")))
        result.value = object[QStringLiteral("point")].point();
    else if (object.has(QStringLiteral("size"))) {
        const QPointF size = object[QStringLiteral("size")].point();
        result.value = QSizeF(size.x(), size.y());
    } else if (!object[QStringLiteral("none")].flag()) {
        fail(member(node.path(), QStringLiteral("none")), QStringLiteral("expected true"));
    }
    return result;
}

SimWindow window(const Node& node, bool first)
{
    const Object object(node, {"title", "frame", "minimized", "subrole", "main", "accessible",
                               "attributeOverrides", "windowNumber", "layer",
                               "windowNumberCallFails", "scriptID", "url", "tabCount", "color",
                               "captureFails", "legacyImageFails"});
    SimWindow window;
    window.title = object.text(QStringLiteral("title"), QString());
    window.frame = object.has(QStringLiteral("frame")) ? object[QStringLiteral("frame")].rect()
                                                       : QRectF(100, 100, 800, 600);
    window.minimized = object.flag(QStringLiteral("minimized"), false);
    window.subrole = object.text(QStringLiteral("subrole"), window.subrole);
    window.main = object.flag(QStringLiteral("main"), first);
    window.accessible = object.flag(QStringLiteral("accessible"), true);
    if (object.has(QStringLiteral("attributeOverrides"))) {
        const Object overrides(object[QStringLiteral("attributeOverrides")],
                               {AXAttribute::title, AXAttribute::position, AXAttribute::size,
                                AXAttribute::minimized, AXAttribute::subrole, AXAttribute::main,
                                AXAttribute::windows, AXAttribute::menuBar, AXAttribute::children});
        const QJsonObject raw = object[QStringLiteral("attributeOverrides")].value().toObject();
        for (auto it = raw.begin(); it != raw.end(); ++it)
            window.attributeOverrides.insert(it.key(), attributeOverride(overrides[it.key()]));
    }
    if (object.has(QStringLiteral("windowNumber")))
        window.windowNumber =
            quint32(object[QStringLiteral("windowNumber")].wholeNumber(1, UINT32_MAX));
    if (object.has(QStringLiteral("layer")))
        window.layer = int(object[QStringLiteral("layer")].wholeNumber(int32Min, int32Max));
    window.windowNumberCallFails = object.flag(QStringLiteral("windowNumberCallFails"), false);
    window.scriptID = object.text(QStringLiteral("scriptID"), QString());
    window.url = object.text(QStringLiteral("url"), QString());
    if (object.has(QStringLiteral("tabCount")))
        window.tabCount = int(object[QStringLiteral("tabCount")].wholeNumber(0, int32Max));
    if (object.has(QStringLiteral("color")))
        window.color = object[QStringLiteral("color")].color();
    window.captureFails = object.flag(QStringLiteral("captureFails"), false);
    window.legacyImageFails = object.flag(QStringLiteral("legacyImageFails"), false);
    return window;
}

SimMenuItem menuItem(const Node& node)
{
    SimMenuItem item;
    if (node.value().isString()) {
        item.title = node.text(); // "" is a separator
        return item;
    }
    const Object object(node, {"title", "children"});
    item.title = object.text(QStringLiteral("title"), QString());
    if (object.has(QStringLiteral("children"))) {
        for (const Node& child : object[QStringLiteral("children")].list())
            item.children << menuItem(child);
    }
    return item;
}

AEDescriptor descriptor(const Node& node)
{
    switch (node.value().type()) {
    case QJsonValue::Null:
        return AEDescriptor::null();
    case QJsonValue::String:
        return AEDescriptor::text(node.text());
    case QJsonValue::Bool:
        return AEDescriptor::boolean(node.flag());
    case QJsonValue::Double:
        return AEDescriptor::integer(qint32(node.wholeNumber(int32Min, int32Max)));
    case QJsonValue::Array: {
        QList<AEDescriptor> items;
        for (const Node& item : node.list())
            items << descriptor(item);
        return AEDescriptor::list(items);
    }
    case QJsonValue::Object:
    case QJsonValue::Undefined:
        break;
    }
    expected(node.path(),
             QStringLiteral("a script result (null, text, whole number, true or "
                            "false, or a list of these)"),
             node.value());
}

SimScripting scripting(const Node& node)
{
    const Object object(node, {"delaySeconds", "hangs", "automationDenied", "error", "reply"});
    SimScripting result;
    result.delaySeconds = object.seconds(QStringLiteral("delaySeconds"));
    result.hangs = object.flag(QStringLiteral("hangs"), false);
    result.automationDenied = object.flag(QStringLiteral("automationDenied"), false);
    if (object.has(QStringLiteral("error"))) {
        const Object error(object[QStringLiteral("error")], {"message", "number"});
        QVariantMap info;
        if (error.has(QStringLiteral("message")))
            info.insert(AppleScriptErrorKey::message, error[QStringLiteral("message")].text());
        if (error.has(QStringLiteral("number")))
            info.insert(AppleScriptErrorKey::number,
                        int(error[QStringLiteral("number")].wholeNumber(int32Min, int32Max)));
        result.error = info;
    }
    if (object.has(QStringLiteral("reply")))
        result.replyOverride = descriptor(object[QStringLiteral("reply")]);
    return result;
}

SimAccessibilityBehaviour accessibility(const Node& node)
{
    const Object object(node,
                        {"delaySeconds", "hung", "windowsUnreadable", "observerCreationFails"});
    SimAccessibilityBehaviour result;
    result.delaySeconds = object.seconds(QStringLiteral("delaySeconds"));
    result.hung = object.flag(QStringLiteral("hung"), false);
    result.windowsUnreadable = object.flag(QStringLiteral("windowsUnreadable"), false);
    result.observerCreationFails = object.flag(QStringLiteral("observerCreationFails"), false);
    return result;
}

SimInstance instance(const Node& node)
{
    const Object object(node, {"app", "bundleID", "name", "pid", "windows", "documents",
                               "activeDocument", "menuBar", "accessibility", "scripting"});
    const AppIdentity identity = appIdentity(object);
    SimInstance result;
    result.bundleID = identity.bundleID;
    result.name = identity.name;
    result.pid = pid_t(object.required(QStringLiteral("pid")).wholeNumber(1, int32Max));
    if (object.has(QStringLiteral("windows"))) {
        for (const Node& window : object[QStringLiteral("windows")].list())
            result.windows << ::window(window, result.windows.isEmpty());
    }
    if (object.has(QStringLiteral("documents")))
        result.documents = object[QStringLiteral("documents")].texts();
    if (object.has(QStringLiteral("activeDocument")))
        result.activeDocument = object[QStringLiteral("activeDocument")].text();
    if (object.has(QStringLiteral("menuBar"))) {
        for (const Node& item : object[QStringLiteral("menuBar")].list())
            result.menuBar << menuItem(item);
    }
    if (object.has(QStringLiteral("accessibility")))
        result.accessibility = accessibility(object[QStringLiteral("accessibility")]);
    if (object.has(QStringLiteral("scripting")))
        result.scripting = scripting(object[QStringLiteral("scripting")]);
    return result;
}

// Window-server records keep the host's shape: whole numbers are integers,
// except the bounds, which are always floating point.
QVariant recordValue(const QJsonValue& value, bool inBounds)
{
    switch (value.type()) {
    case QJsonValue::Double: {
        const double number = value.toDouble();
        if (inBounds || number != std::floor(number))
            return number;
        if (number >= double(int32Min) && number <= double(int32Max))
            return int(number);
        return qint64(number);
    }
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue& element : value.toArray())
            list << recordValue(element, inBounds);
        return list;
    }
    case QJsonValue::Object: {
        QVariantMap map;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(),
                       recordValue(it.value(), inBounds || it.key() == WindowInfoKey::bounds));
        return map;
    }
    default:
        return value.toVariant();
    }
}

SimScreen screen(const Node& node)
{
    const Object object(node, {"name", "frame", "visibleFrame"});
    const QRectF frame = object.required(QStringLiteral("frame")).rect();
    return SimScreen{frame,
                     object.has(QStringLiteral("visibleFrame"))
                         ? object[QStringLiteral("visibleFrame")].rect()
                         : frame,
                     object.text(QStringLiteral("name"), QString())};
}

SimModel model(const Node& root)
{
    const Object object(root, {"description", "installed", "instances", "windowRecords",
                               "permissions", "windowNumberCallAvailable", "reduceMotion",
                               "screens", "pointer", "frontmost", "loginItem"});
    SimModel model;
    object.text(QStringLiteral("description"), QString()); // for the reader; checked, then ignored

    if (object.has(QStringLiteral("installed"))) {
        for (const Node& app : object[QStringLiteral("installed")].list())
            model.installedApps << installedApp(app);
    }

    QHash<qint64, QString> pids;
    QHash<quint32, QString> windowNumbers;
    if (object.has(QStringLiteral("instances"))) {
        for (const Node& node : object[QStringLiteral("instances")].list()) {
            SimInstance running = instance(node);
            const QString pidPath = member(node.path(), QStringLiteral("pid"));
            if (pids.contains(running.pid))
                fail(pidPath, QStringLiteral("pid %1 is already used by %2")
                                  .arg(running.pid)
                                  .arg(pids[running.pid]));
            pids.insert(running.pid, node.path());
            for (qsizetype i = 0; i < running.windows.size(); ++i) {
                const std::optional<quint32> number = running.windows[i].windowNumber;
                if (!number)
                    continue;
                const QString path =
                    member(element(member(node.path(), QStringLiteral("windows")), i),
                           QStringLiteral("windowNumber"));
                if (windowNumbers.contains(*number))
                    fail(path, QStringLiteral("window number %1 is already used by %2")
                                   .arg(*number)
                                   .arg(windowNumbers[*number]));
                windowNumbers.insert(*number, path);
            }
            model.instances << running;
        }
    }

    if (object.has(QStringLiteral("windowRecords"))) {
        for (const Node& record : object[QStringLiteral("windowRecords")].list()) {
            if (!record.value().isObject())
                expected(record.path(), QStringLiteral("an object"), record.value());
            model.extraWindowRecords << recordValue(record.value(), false);
        }
    }

    if (object.has(QStringLiteral("permissions"))) {
        const Object permissions(object[QStringLiteral("permissions")],
                                 {"accessibility", "screenRecording"});
        model.accessibilityTrusted = permissions.flag(QStringLiteral("accessibility"), true);
        model.screenRecordingGranted = permissions.flag(QStringLiteral("screenRecording"), true);
    }
    model.windowNumberCallAvailable =
        object.flag(QStringLiteral("windowNumberCallAvailable"), true);
    model.reduceMotion = object.flag(QStringLiteral("reduceMotion"), false);

    if (object.has(QStringLiteral("screens"))) {
        for (const Node& node : object[QStringLiteral("screens")].list()) {
            model.screens << screen(node);
        }
    }
    if (object.has(QStringLiteral("pointer")))
        model.pointer = object[QStringLiteral("pointer")].point();
    if (object.has(QStringLiteral("frontmost"))) {
        const Node node = object[QStringLiteral("frontmost")];
        const qint64 pid = node.wholeNumber(1, int32Max);
        if (!pids.contains(pid))
            fail(node.path(), QStringLiteral("no instance has pid %1").arg(pid));
        model.frontmostPid = pid_t(pid);
    }
    if (object.has(QStringLiteral("loginItem"))) {
        const Object login(object[QStringLiteral("loginItem")], {"status", "error"});
        if (login.has(QStringLiteral("status")))
            model.loginItemStatus = named(login[QStringLiteral("status")], loginItemStatuses);
        if (login.has(QStringLiteral("error")))
            model.loginItemError = login[QStringLiteral("error")].text();
    }
    return model;
}

} // namespace

SimScenario::Result SimScenario::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return SimScenarioError{
            QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString())};
    return parse(file.readAll(), path);
}

SimScenario::Result SimScenario::parse(const QByteArray& json, const QString& fileName)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const TextPosition where = TextPosition::at(json, error.offset);
        return SimScenarioError{QStringLiteral("%1: line %2, column %3: %4")
                                    .arg(fileName)
                                    .arg(where.line)
                                    .arg(where.column)
                                    .arg(error.errorString())};
    }
    try {
        QJsonValue root =
            document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
        return model(Node(root, QString()));
    } catch (const SchemaError& schemaError) {
        const QString where =
            schemaError.path.isEmpty() ? QStringLiteral("top level") : schemaError.path;
        return SimScenarioError{
            QStringLiteral("%1: %2: %3").arg(fileName, where, schemaError.problem)};
    }
}
