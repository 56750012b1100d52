#include "SafariWindowService.h"

#include "Platform/Accessibility.h"
#include "Platform/Platform.h"
#include "Platform/WindowServer.h"
#include "Platform/Workspace.h"

#include <QVariantMap>

#include <cmath>
#include <limits>

namespace {

// A window-server number as the host would read it into an integer: integral
// kinds, or a floating-point value without a fraction. Text, booleans and
// anything else are of the wrong kind.
std::optional<qint64> readInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        return value.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar: {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(unsignedValue);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::trunc(number) != number || std::abs(number) > 9.0e15)
            return std::nullopt;
        return qint64(number);
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> readFloat(const QVariant& value)
{
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return value.toDouble();
    if (const auto integer = readInteger(value))
        return double(*integer);
    return std::nullopt;
}

// The bounds dictionary: string keys to numbers; a missing edge is 0, an
// entry of another kind makes the whole dictionary unreadable.
std::optional<QRectF> readBounds(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    QHash<QString, double> edges;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const auto number = readFloat(it.value());
        if (!number)
            return std::nullopt;
        edges.insert(it.key(), *number);
    }
    return QRectF(edges.value(QStringLiteral("X")), edges.value(QStringLiteral("Y")),
                  edges.value(QStringLiteral("Width")), edges.value(QStringLiteral("Height")));
}

template <typename T> bool fits(qint64 value)
{
    return value >= qint64(std::numeric_limits<T>::min()) &&
           value <= qint64(std::numeric_limits<T>::max());
}

std::optional<CGWindowRecord> readRecord(const QVariantMap& map, pid_t pid)
{
    const auto owner = readInteger(map.value(WindowInfoKey::ownerPID));
    if (!owner || !fits<qint32>(*owner) || *owner != pid)
        return std::nullopt;
    const auto layer = readInteger(map.value(WindowInfoKey::layer));
    if (!layer || *layer != 0)
        return std::nullopt;
    const auto number = readInteger(map.value(WindowInfoKey::number));
    if (!number || !fits<quint32>(*number))
        return std::nullopt;
    const auto bounds = readBounds(map.value(WindowInfoKey::bounds));
    if (!bounds)
        return std::nullopt;
    CGWindowRecord record;
    record.id = quint32(*number);
    record.bounds = *bounds;
    const QVariant name = map.value(WindowInfoKey::name);
    if (name.typeId() == QMetaType::QString)
        record.name = name.toString();
    return record;
}

} // namespace

SafariWindowService::SafariWindowService(Accessibility& accessibility, WindowServer& windowServer,
                                         Workspace& workspace)
    : m_accessibility(accessibility), m_windowServer(windowServer), m_workspace(workspace)
{
}

SafariWindowService::SafariWindowService(const Platform& platform)
    : SafariWindowService(platform.accessibility, platform.windowServer, platform.workspace)
{
}

QList<SafariWindow> SafariWindowService::discoverWindows(Browser browser) const
{
    QList<SafariWindow> result;
    for (const RunningApplication& instance : m_workspace.runningApplications(browser.bundleID()))
        appendInstanceWindows(browser, instance.pid, result);
    return result;
}

void SafariWindowService::appendInstanceWindows(Browser browser, pid_t pid,
                                                QList<SafariWindow>& result) const
{
    AXElement application = m_accessibility.createApplication(pid);
    m_accessibility.setMessagingTimeout(application, messagingTimeout);
    AXValue windowsValue;
    if (m_accessibility.copyAttributeValue(application, AXAttribute::windows, windowsValue) !=
        AXError::Success)
        return;
    const auto* windows = std::get_if<QList<AXElement>>(&windowsValue);
    if (!windows)
        return;
    const QList<CGWindowRecord> records = cgWindowInfo(pid);

    for (AXElement element : *windows) {
        m_accessibility.setMessagingTimeout(element, messagingTimeout);
        AXValue value;

        bool minimized = false;
        if (m_accessibility.copyAttributeValue(element, AXAttribute::minimized, value) ==
            AXError::Success) {
            if (const bool* flag = std::get_if<bool>(&value))
                minimized = *flag;
            else if (const double* number = std::get_if<double>(&value))
                minimized = *number != 0;
        }

        value = {};
        const QString* subrole = nullptr;
        if (m_accessibility.copyAttributeValue(element, AXAttribute::subrole, value) ==
            AXError::Success)
            subrole = std::get_if<QString>(&value);
        if (!minimized && subrole && *subrole != AXSubrole::standardWindow)
            continue;

        value = {};
        QString title;
        if (m_accessibility.copyAttributeValue(element, AXAttribute::title, value) ==
                AXError::Success &&
            std::holds_alternative<QString>(value))
            title = std::get<QString>(value);
        if (!minimized && title.isEmpty())
            continue;

        SafariWindow window;
        window.browser = browser;
        window.axElement = element;
        window.pid = pid;
        window.title = title;
        window.frame = windowFrame(element);
        window.isMinimized = minimized;

        quint32 number = 0;
        if (m_accessibility.windowNumber(element, number) == AXError::Success && number != 0)
            window.windowID = number;
        else
            window.windowID = cgWindowIDByBoundsMatch(window.frame, records);
        result << window;
    }
}

QRectF SafariWindowService::windowFrame(const AXElement& element) const
{
    QRectF frame;
    AXValue value;
    if (m_accessibility.copyAttributeValue(element, AXAttribute::position, value) ==
        AXError::Success) {
        if (const QPointF* origin = std::get_if<QPointF>(&value))
            frame.moveTopLeft(*origin);
    }
    value = {};
    if (m_accessibility.copyAttributeValue(element, AXAttribute::size, value) == AXError::Success) {
        if (const QSizeF* size = std::get_if<QSizeF>(&value))
            frame.setSize(*size);
    }
    return frame;
}

QList<CGWindowRecord> SafariWindowService::cgWindowInfo(pid_t pid) const
{
    QList<CGWindowRecord> records;
    const std::optional<QVariantList> list =
        m_windowServer.copyWindowInfo(WindowServer::ListOption::All, WindowServer::nullWindowID);
    if (!list)
        return records;
    // Like a cast of the whole list: one entry that is not a dictionary makes
    // the list unreadable.
    for (const QVariant& entry : *list) {
        if (entry.typeId() != QMetaType::QVariantMap)
            return {};
    }
    for (const QVariant& entry : *list) {
        if (auto record = readRecord(entry.toMap(), pid))
            records << *record;
    }
    return records;
}

std::optional<quint32>
SafariWindowService::cgWindowIDByBoundsMatch(const QRectF& frame,
                                             const QList<CGWindowRecord>& records)
{
    const auto close = [](double a, double b) { return std::abs(a - b) < boundsTolerance; };
    for (const CGWindowRecord& record : records) {
        const QRectF& bounds = record.bounds;
        if (close(bounds.x(), frame.x()) && close(bounds.y(), frame.y()) &&
            close(std::abs(bounds.width()), std::abs(frame.width())) &&
            close(std::abs(bounds.height()), std::abs(frame.height())))
            return record.id;
    }
    return std::nullopt;
}
