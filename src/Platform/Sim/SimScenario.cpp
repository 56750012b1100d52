#include "SimScenario.h"

#include "Models/Browser.h"
#include "Models/ColorHex.h"
#include "Platform/Sim/JsonNode.h"
#include "Platform/Sim/JsonObjectNode.h"
#include "Platform/WindowServer.h"

#include <QFile>

#include <cmath>
#include <limits>

namespace {

// Geometry is written as lists of numbers, read front to back so that the
// first bad one is named.
QList<double> numbers(const JsonNode& node, qsizetype count, const QString& what)
{
    QList<double> values;
    for (const JsonNode& element : node.list(count, what))
        values << element.number();
    return values;
}

QRectF rect(const JsonNode& node)
{
    const QList<double> v = numbers(node, 4, QStringLiteral("a list [x, y, width, height]"));
    return QRectF(v[0], v[1], v[2], v[3]);
}

QPointF point(const JsonNode& node)
{
    const QList<double> v = numbers(node, 2, QStringLiteral("a list [x, y]"));
    return QPointF(v[0], v[1]);
}

QColor color(const JsonNode& node)
{
    const QString text = node.text();
    const std::optional<QColor> color = colorFromHex(text);
    if (!color || !text.startsWith(QLatin1Char('#')))
        node.fail(QStringLiteral("expected a colour \"#RRGGBB\", found \"%1\"").arg(text));
    return *color;
}

// A wait of the simulated host: up to a day, so that it always converts to a
// clock time.
double seconds(const JsonObjectNode& object, const QString& key)
{
    return object.has(key) ? object[key].number(0, 86400) : 0;
}

template <typename E, size_t N>
E named(const JsonNode& node, const std::array<std::pair<const char*, E>, N>& names)
{
    const QString text = node.text();
    QStringList known;
    for (const auto& [name, value] : names) {
        if (text == QLatin1String(name))
            return value;
        known << QLatin1String(name);
    }
    node.fail(QStringLiteral("unknown value \"%1\" (known: %2)").arg(text, known.join(", ")));
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
Browser rosterApp(const JsonNode& node)
{
    const QString text = node.text();
    std::optional<Browser> browser = Browser::fromRawValue(text);
    if (!browser)
        browser = Browser::from(text);
    if (!browser) {
        node.fail(QStringLiteral("unknown app \"%1\": not a roster app's name or bundle id (give "
                                 "\"bundleID\" and \"name\" instead)")
                      .arg(text));
    }
    return *browser;
}

// "app" names a roster app; otherwise "bundleID" (and "name" unless it is a
// roster app's) describe any other app.
AppIdentity appIdentity(const JsonObjectNode& object)
{
    if (object.has(QStringLiteral("app"))) {
        const Browser browser = rosterApp(object[QStringLiteral("app")]);
        if (object.has(QStringLiteral("bundleID")))
            object[QStringLiteral("bundleID")].fail(
                QStringLiteral("give either \"app\" or \"bundleID\", not both"));
        return AppIdentity{browser.bundleID(),
                           object.text(QStringLiteral("name"), browser.displayName()), browser};
    }
    if (!object.has(QStringLiteral("bundleID")))
        object.required(QStringLiteral("app"));
    const QString bundleID = object[QStringLiteral("bundleID")].text();
    const std::optional<Browser> browser = Browser::from(bundleID);
    if (!browser && !object.has(QStringLiteral("name"))) {
        object[QStringLiteral("bundleID")].fail(
            QStringLiteral("unknown app \"%1\": an app outside the roster needs a \"name\"")
                .arg(bundleID));
    }
    return AppIdentity{
        bundleID, object.text(QStringLiteral("name"), browser ? browser->displayName() : QString()),
        browser};
}

SimApp installedApp(const JsonNode& node)
{
    SimApp app;
    AppIdentity identity;
    if (node.value().isString()) {
        // Shorthand: a roster app by name or bundle id.
        const Browser browser = rosterApp(node);
        identity = AppIdentity{browser.bundleID(), browser.displayName(), browser};
    } else {
        const JsonObjectNode object(node, {"app", "bundleID", "name", "path", "iconColor"});
        identity = appIdentity(object);
        if (object.has(QStringLiteral("path")))
            app.path = object[QStringLiteral("path")].text();
        if (object.has(QStringLiteral("iconColor")))
            app.iconColor = color(object[QStringLiteral("iconColor")]);
    }
    app.bundleID = identity.bundleID;
    app.name = identity.name;
    if (app.path.isEmpty())
        app.path = QStringLiteral("/Applications/") + app.name + QStringLiteral(".app");
    if (!app.iconColor.isValid() && identity.browser)
        app.iconColor = identity.browser->badgeColor();
    return app;
}

SimAttributeOverride attributeOverride(const JsonNode& node)
{
    const JsonObjectNode object(node, {"error", "text", "bool", "number", "point", "size", "none"});
    if (object.keys().size() != 1)
        node.fail(QStringLiteral("expected exactly one of: error, text, bool, number, point, size, "
                                 "none"));
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
        result.value = point(object[QStringLiteral("point")]);
    else if (object.has(QStringLiteral("size"))) {
        const QPointF size = point(object[QStringLiteral("size")]);
        result.value = QSizeF(size.x(), size.y());
    } else if (!object[QStringLiteral("none")].flag()) {
        object[QStringLiteral("none")].fail(QStringLiteral("expected true"));
    }
    return result;
}

SimWindow window(const JsonNode& node, bool first)
{
    const JsonObjectNode object(node, {"title", "frame", "minimized", "subrole", "main",
                                       "accessible", "attributeOverrides", "windowNumber", "layer",
                                       "windowNumberCallFails", "scriptID", "url", "tabCount",
                                       "color", "captureFails", "legacyImageFails"});
    SimWindow window;
    window.title = object.text(QStringLiteral("title"), QString());
    window.frame = object.has(QStringLiteral("frame")) ? rect(object[QStringLiteral("frame")])
                                                       : QRectF(100, 100, 800, 600);
    window.minimized = object.flag(QStringLiteral("minimized"), false);
    window.subrole = object.text(QStringLiteral("subrole"), window.subrole);
    window.main = object.flag(QStringLiteral("main"), first);
    window.accessible = object.flag(QStringLiteral("accessible"), true);
    if (object.has(QStringLiteral("attributeOverrides"))) {
        const JsonObjectNode overrides(
            object[QStringLiteral("attributeOverrides")],
            {AXAttribute::title, AXAttribute::position, AXAttribute::size, AXAttribute::minimized,
             AXAttribute::subrole, AXAttribute::main, AXAttribute::windows, AXAttribute::menuBar,
             AXAttribute::children});
        for (const QString& attribute : overrides.keys())
            window.attributeOverrides.insert(attribute, attributeOverride(overrides[attribute]));
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
        window.color = color(object[QStringLiteral("color")]);
    window.captureFails = object.flag(QStringLiteral("captureFails"), false);
    window.legacyImageFails = object.flag(QStringLiteral("legacyImageFails"), false);
    return window;
}

// A file lists an item's entries as its children; the host has the item's
// menu between them, and so does the model.
SimMenuItem menuItem(const JsonNode& node)
{
    if (node.value().isString())
        return SimMenuItem{0, node.text(), {}}; // "" is a separator
    const JsonObjectNode object(node, {"title", "children"});
    const QString title = object.text(QStringLiteral("title"), QString());
    if (!object.has(QStringLiteral("children")))
        return SimMenuItem{0, title, {}};
    QList<SimMenuItem> entries;
    for (const JsonNode& child : object[QStringLiteral("children")].list())
        entries << menuItem(child);
    return SimMenuItem::withMenu(title, std::move(entries));
}

AEDescriptor descriptor(const JsonNode& node)
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
        for (const JsonNode& item : node.list())
            items << descriptor(item);
        return AEDescriptor::list(items);
    }
    case QJsonValue::Object:
    case QJsonValue::Undefined:
        break;
    }
    node.expected(QStringLiteral("a script result (null, text, whole number, true or false, or a "
                                 "list of these)"));
}

SimScripting scripting(const JsonNode& node)
{
    const JsonObjectNode object(node,
                                {"delaySeconds", "hangs", "automationDenied", "error", "reply"});
    SimScripting result;
    result.delaySeconds = seconds(object, QStringLiteral("delaySeconds"));
    result.hangs = object.flag(QStringLiteral("hangs"), false);
    result.automationDenied = object.flag(QStringLiteral("automationDenied"), false);
    if (object.has(QStringLiteral("error"))) {
        const JsonObjectNode error(object[QStringLiteral("error")], {"message", "number"});
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

SimAccessibilityBehaviour accessibility(const JsonNode& node)
{
    const JsonObjectNode object(
        node, {"delaySeconds", "hung", "windowsUnreadable", "observerCreationFails"});
    SimAccessibilityBehaviour result;
    result.delaySeconds = seconds(object, QStringLiteral("delaySeconds"));
    result.hung = object.flag(QStringLiteral("hung"), false);
    result.windowsUnreadable = object.flag(QStringLiteral("windowsUnreadable"), false);
    result.observerCreationFails = object.flag(QStringLiteral("observerCreationFails"), false);
    return result;
}

SimInstance instance(const JsonNode& node)
{
    const JsonObjectNode object(node, {"app", "bundleID", "name", "pid", "windows", "documents",
                                       "activeDocument", "menuBar", "accessibility", "scripting"});
    const AppIdentity identity = appIdentity(object);
    SimInstance result;
    result.bundleID = identity.bundleID;
    result.name = identity.name;
    result.pid = pid_t(object.required(QStringLiteral("pid")).wholeNumber(1, int32Max));
    if (object.has(QStringLiteral("windows"))) {
        for (const JsonNode& window : object[QStringLiteral("windows")].list())
            result.windows << ::window(window, result.windows.isEmpty());
    }
    if (object.has(QStringLiteral("documents")))
        result.documents = object[QStringLiteral("documents")].texts();
    if (object.has(QStringLiteral("activeDocument")))
        result.activeDocument = object[QStringLiteral("activeDocument")].text();
    if (object.has(QStringLiteral("menuBar"))) {
        for (const JsonNode& item : object[QStringLiteral("menuBar")].list())
            result.menuBar << menuItem(item);
    }
    if (object.has(QStringLiteral("accessibility")))
        result.accessibility = accessibility(object[QStringLiteral("accessibility")]);
    if (object.has(QStringLiteral("scripting")))
        result.scripting = scripting(object[QStringLiteral("scripting")]);
    return result;
}

// Window-server records keep the host's shape: whole numbers are integers,
// except the bounds, which are always floating point. A whole number that no
// 64-bit integer holds is rejected like any other bad value.
QVariant recordValue(const JsonNode& node, bool inBounds)
{
    switch (node.value().type()) {
    case QJsonValue::Double: {
        const double number = node.number();
        if (inBounds || number != std::floor(number))
            return number;
        const qint64 whole = node.wholeNumber();
        if (whole >= int32Min && whole <= int32Max)
            return int(whole);
        return whole;
    }
    case QJsonValue::Array: {
        QVariantList list;
        for (const JsonNode& element : node.list())
            list << recordValue(element, inBounds);
        return list;
    }
    case QJsonValue::Object: {
        QVariantMap map;
        for (const auto& [key, member] : node.members())
            map.insert(key, recordValue(member, inBounds || key == WindowInfoKey::bounds));
        return map;
    }
    default:
        return node.value().toVariant();
    }
}

SimScreen screen(const JsonNode& node)
{
    const JsonObjectNode object(node, {"name", "frame", "visibleFrame"});
    const QRectF frame = rect(object.required(QStringLiteral("frame")));
    return SimScreen{frame,
                     object.has(QStringLiteral("visibleFrame"))
                         ? rect(object[QStringLiteral("visibleFrame")])
                         : frame,
                     object.text(QStringLiteral("name"), QString())};
}

SimModel model(const JsonNode& root)
{
    const JsonObjectNode object(root, {"description", "installed", "instances", "windowRecords",
                                       "permissions", "windowNumberCallAvailable", "reduceMotion",
                                       "screens", "pointer", "frontmost", "loginItem"});
    SimModel model;
    object.text(QStringLiteral("description"), QString()); // for the reader; checked, then ignored

    if (object.has(QStringLiteral("installed"))) {
        for (const JsonNode& app : object[QStringLiteral("installed")].list())
            model.installedApps << installedApp(app);
    }

    QHash<qint64, QString> pids;
    QHash<quint32, QString> windowNumbers;
    if (object.has(QStringLiteral("instances"))) {
        for (const JsonNode& node : object[QStringLiteral("instances")].list()) {
            SimInstance running = instance(node);
            if (pids.contains(running.pid))
                node.member(QStringLiteral("pid"))
                    .fail(QStringLiteral("pid %1 is already used by %2")
                              .arg(running.pid)
                              .arg(pids[running.pid]));
            pids.insert(running.pid, node.path());
            for (qsizetype i = 0; i < running.windows.size(); ++i) {
                const std::optional<quint32> number = running.windows[i].windowNumber;
                if (!number)
                    continue;
                const JsonNode place = node.member(QStringLiteral("windows"))
                                           .element(i)
                                           .member(QStringLiteral("windowNumber"));
                if (windowNumbers.contains(*number))
                    place.fail(QStringLiteral("window number %1 is already used by %2")
                                   .arg(*number)
                                   .arg(windowNumbers[*number]));
                windowNumbers.insert(*number, place.path());
            }
            model.instances << running;
        }
    }

    if (object.has(QStringLiteral("windowRecords"))) {
        for (const JsonNode& record : object[QStringLiteral("windowRecords")].list()) {
            if (!record.value().isObject())
                record.expected(QStringLiteral("an object"));
            model.extraWindowRecords << recordValue(record, false);
        }
    }

    if (object.has(QStringLiteral("permissions"))) {
        const JsonObjectNode permissions(object[QStringLiteral("permissions")],
                                         {"accessibility", "screenRecording"});
        model.accessibilityTrusted = permissions.flag(QStringLiteral("accessibility"), true);
        model.screenRecordingGranted = permissions.flag(QStringLiteral("screenRecording"), true);
    }
    model.windowNumberCallAvailable =
        object.flag(QStringLiteral("windowNumberCallAvailable"), true);
    model.reduceMotion = object.flag(QStringLiteral("reduceMotion"), false);

    if (object.has(QStringLiteral("screens"))) {
        for (const JsonNode& node : object[QStringLiteral("screens")].list()) {
            model.screens << screen(node);
        }
    }
    if (object.has(QStringLiteral("pointer")))
        model.pointer = point(object[QStringLiteral("pointer")]);
    if (object.has(QStringLiteral("frontmost"))) {
        const JsonNode node = object[QStringLiteral("frontmost")];
        const qint64 pid = node.wholeNumber(1, int32Max);
        if (!pids.contains(pid))
            node.fail(QStringLiteral("no instance has pid %1").arg(pid));
        model.frontmostPid = pid_t(pid);
    }
    if (object.has(QStringLiteral("loginItem"))) {
        const JsonObjectNode login(object[QStringLiteral("loginItem")], {"status", "error"});
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
    auto read = JsonNode::readDocument(json, fileName, model);
    if (auto* error = std::get_if<QString>(&read))
        return SimScenarioError{std::move(*error)};
    return std::move(std::get<SimModel>(read));
}
