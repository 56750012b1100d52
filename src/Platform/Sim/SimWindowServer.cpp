#include "SimWindowServer.h"

#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimWindowImage.h"

namespace {

QVariantMap windowRecord(const SimInstance& instance, const SimWindow& window, bool withName)
{
    QVariantMap record;
    record.insert(WindowInfoKey::ownerPID, int(instance.pid));
    record.insert(WindowInfoKey::ownerName, instance.name);
    record.insert(WindowInfoKey::layer, window.layer);
    record.insert(WindowInfoKey::number, *window.windowNumber);
    record.insert(WindowInfoKey::bounds,
                  QVariantMap{{QStringLiteral("X"), window.frame.x()},
                              {QStringLiteral("Y"), window.frame.y()},
                              {QStringLiteral("Width"), window.frame.width()},
                              {QStringLiteral("Height"), window.frame.height()}});
    if (withName && !window.title.isEmpty())
        record.insert(WindowInfoKey::name, window.title);
    return record;
}

bool onScreen(const SimWindow& window)
{
    // Windows only scripting sees stand for windows on another Space.
    return !window.minimized && window.accessible;
}

} // namespace

// Front to back: the records of other processes and the malformed ones the
// scenario mixes in come first, then the frontmost app's windows, then the
// other apps' in launch order.
std::optional<QVariantList> SimWindowServer::copyWindowInfo(ListOption option,
                                                            quint32 relativeTo) const
{
    return m_host.read([&](const SimModel& model) {
        QVariantList list;
        const auto include = [&](const SimWindow& window) {
            switch (option) {
            case ListOption::All:
                return true;
            case ListOption::OnScreenOnly:
                return onScreen(window);
            case ListOption::IncludingWindow:
                return *window.windowNumber == relativeTo;
            }
            return false;
        };
        for (const QVariant& extra : model.extraWindowRecords) {
            const bool matches = extra.toMap().value(WindowInfoKey::number).toUInt() == relativeTo;
            if (option != ListOption::IncludingWindow || matches)
                list << extra;
        }
        QList<const SimInstance*> instances;
        for (const SimInstance& instance : model.instances) {
            if (model.frontmostPid == instance.pid)
                instances.prepend(&instance);
            else
                instances << &instance;
        }
        for (const SimInstance* instance : instances) {
            for (const SimWindow& window : instance->windows) {
                if (window.windowNumber && include(window))
                    list << windowRecord(*instance, window, model.screenRecordingGranted);
            }
        }
        return std::optional<QVariantList>(list);
    });
}

QImage SimWindowServer::createWindowImage(quint32 windowID) const
{
    const auto window = m_host.read([&](const SimModel& model) -> std::optional<SimWindow> {
        if (!model.screenRecordingGranted)
            return std::nullopt;
        const SimWindow* found = model.windowWithNumber(windowID);
        if (!found || found->legacyImageFails)
            return std::nullopt;
        return *found;
    });
    if (!window)
        return {};
    // Nominal resolution: one pixel per point. A frame from a scenario can be
    // anything; one beyond what a screen could show gives no image rather
    // than an out-of-range conversion.
    const QSizeF size = window->frame.size();
    if (!(size.width() <= maxImageSide && size.height() <= maxImageSide))
        return {};
    return SimWindowImage::render(*window, size.toSize());
}

bool SimWindowServer::preflightScreenCaptureAccess() const
{
    return m_host.read([](const SimModel& model) { return model.screenRecordingGranted; });
}

bool SimWindowServer::requestScreenCaptureAccess()
{
    ++m_requestCount;
    const bool granted = preflightScreenCaptureAccess();
    if (!granted)
        m_host.prompts().raise(SimHostPrompt::Kind::screenRecording);
    return granted;
}
