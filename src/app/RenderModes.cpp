#include "app/RenderModes.h"

#include "Models/Browser.h"
#include "Overlay/OverlayEnvironment.h"
#include "Platform/AtomicFile.h"
#include "Platform/Live/JsonUserDefaults.h"
#include "Platform/Live/QtScreens.h"
#include "Platform/Live/SyslogSystemLog.h"
#include "Platform/Live/XdgLoginItems.h"
#include "Platform/ScreenCoordinates.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenario.h"
#include "Platform/StandardOutput.h"
#include "Services/PreferencesService.h"
#include "Settings/SettingsView.h"
#include "Settings/SettingsWindowController.h"
#include "app/QtArguments.h"
#include "app/RenderArguments.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr double viewScale = 2.0;
constexpr int windowSettleMilliseconds = 1000;

// The result line, and the settings store's reports on standard error, are
// the render modes' only output; Qt's own messages (fonts, platform notes)
// must not reach standard error.
void discardMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// A display that is missing or cannot be reached leaves the offscreen
// platform to draw on, rather than a failed start.
void fallBackToOffscreen()
{
    qputenv("QT_QPA_PLATFORM",
            RenderArguments::platformList(qEnvironmentVariable("QT_QPA_PLATFORM"),
                                          !qEnvironmentVariableIsEmpty("DISPLAY"),
                                          !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
                .toLocal8Bit());
}

// The simulated desktop the running program sees; an unreadable scenario
// gives an empty desktop, since a render needs no apps.
SimModel scenarioModel()
{
    const QString scenario = qEnvironmentVariable("TESSEL_SIM_SCENARIO");
    SimScenario::Result loaded =
        SimScenario::load(scenario.isEmpty() ? SimScenario::defaultPath() : scenario);
    if (auto* model = std::get_if<SimModel>(&loaded))
        return std::move(*model);
    return SimModel{};
}

// Whether the file at the path is this program's own standard output, as
// `--render-settings /dev/stdout | …` or /proc/self/fd/1 name it: the same
// file, by device and inode, however the path reaches it.
bool isStandardOutput(const QString& path)
{
    struct stat file {};
    struct stat output {};
    return ::stat(QFile::encodeName(path).constData(), &file) == 0 &&
           ::fstat(STDOUT_FILENO, &output) == 0 && file.st_dev == output.st_dev &&
           file.st_ino == output.st_ino;
}

// Writes the render's PNG and prints the confirmation; when the image cannot
// be encoded, prints the given failure line instead, and when the file cannot
// be written, a failure line with the reason, leaving any file at the path as
// it was. A PNG written into standard output must be all that its reader
// gets, or the file it saves does not read as a PNG: the confirmation then
// goes to standard error.
void writeRender(const QString& path, const QImage& image, const QString& confirmation,
                 const QString& encodingFailure)
{
    const std::variant<QByteArray, QString> png = AtomicFile::encodePng(image);
    if (!std::holds_alternative<QByteArray>(png)) {
        StandardOutput::printLine(encodingFailure);
        return;
    }
    if (const std::optional<FileWriteError> error =
            AtomicFile::write(path, std::get<QByteArray>(png))) {
        StandardOutput::printLine(QStringLiteral("render FAILED — ") + error->description());
        return;
    }
    if (isStandardOutput(path))
        std::fprintf(stderr, "%s\n", qUtf8Printable(confirmation));
    else
        StandardOutput::printLine(confirmation);
}

// Frames in the host's convention: bottom-left origin, y up.
QRectF windowFrame(const QWidget& window)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRectF primaryGeometry = primary ? QRectF(primary->geometry()) : QRectF();
    return ScreenCoordinates::toBottomLeft(QRectF(window.frameGeometry()), primaryGeometry);
}

// The content's frame within the window that holds it, y up from the
// window's bottom edge.
QRectF contentFrame(const QWidget& content)
{
    const QRectF inWindow(content.geometry());
    const double windowHeight = content.parentWidget()->height();
    return {inWindow.x(), windowHeight - (inWindow.y() + inWindow.height()), inWindow.width(),
            inWindow.height()};
}

// The settings store is the user's own file: a damaged one that it moves
// aside is reported on standard error with the normal start's line, or the
// next start would find the settings reset without a word. The render ends
// at once, so a failed save is not tried again for long: only what it loses
// is said.
class RenderHost {
public:
    RenderHost()
        : m_sim(scenarioModel()),
          m_defaults(JsonUserDefaults::defaultPath(), {}, JsonUserDefaults::Lifetime::singleTask),
          m_loginItems(QCoreApplication::applicationFilePath()),
          m_preferences(m_defaults, m_sim.workspace, m_loginItems, m_systemLog),
          m_icons(m_sim.workspace)
    {
    }

    PreferencesService& preferences() { return m_preferences; }
    OverlayEnvironment environment() { return {m_screens, m_sim.workspace, m_icons}; }

private:
    SyslogSystemLog m_systemLog;
    SimPlatform m_sim;
    JsonUserDefaults m_defaults;
    XdgLoginItems m_loginItems;
    PreferencesService m_preferences;
    QtScreens m_screens;
    BrowserIconCache m_icons;
};

void renderView(const QString& path)
{
    RenderHost host;
    SettingsView view(
        host.preferences(), [] {}, host.environment());
    // Laid out as on screen, but never shown there.
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QCoreApplication::processEvents();

    QImage image(view.size() * viewScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(viewScale);
    image.fill(Qt::transparent);
    view.render(&image);

    writeRender(path, image, QStringLiteral("rendered: ") + path, QStringLiteral("render FAILED"));
}

QWidget* findSettingsWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isWindow() && window->windowTitle().contains(QStringLiteral("Settings")))
            return window;
    }
    return nullptr;
}

void renderWindow(const QString& path)
{
    RenderHost host;
    SettingsWindowController controller(
        host.preferences(), [] {}, host.environment());
    controller.show();

    QEventLoop settle;
    QTimer::singleShot(windowSettleMilliseconds, &settle, &QEventLoop::quit);
    settle.exec();

    const QString failure = QStringLiteral("render FAILED — no settings window found");
    QWidget* window = findSettingsWindow();
    QWidget* content = window ? window->findChild<SettingsView*>() : nullptr;
    if (!window || !content) {
        StandardOutput::printLine(failure);
        return;
    }
    writeRender(
        path, window->grab().toImage(),
        RenderArguments::windowCaptureLine(path, windowFrame(*window), contentFrame(*content)),
        failure);
}

} // namespace

namespace RenderModes {

std::optional<int> runIfRequested(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const auto parsed = RenderArguments::parse(arguments);
    if (!parsed)
        return std::nullopt;
    if (const auto* missing = std::get_if<MissingRenderPath>(&*parsed)) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(RenderArguments::usageLine(*missing)));
        return 2;
    }
    const RenderRequest& request = std::get<RenderRequest>(*parsed);

    qInstallMessageHandler(discardMessage);
    fallBackToOffscreen();
    QtArguments qtArguments(argc, argv);
    QApplication app(qtArguments.argc(), qtArguments.argv());
    if (request.kind == RenderRequest::Kind::view)
        renderView(request.path);
    else
        renderWindow(request.path);
    return 0;
}

} // namespace RenderModes
