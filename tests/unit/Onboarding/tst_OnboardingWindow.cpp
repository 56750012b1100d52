#include "support/OnboardingFixture.h"

#include "Brand/TesselBrand.h"
#include "Onboarding/OnboardingWindowController.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "support/WidgetRender.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace {

enum class Mark { granted, optional, required, none };

// What a row's status symbol shows, told by the pixel that stands out most
// from the background: the check mark in green, the optional circle in faint
// ink, the required dashed circle in orange.
Mark statusMark(QWidget& row)
{
    auto* icon = row.findChild<QWidget*>(QStringLiteral("statusIcon"));
    if (!icon)
        return Mark::none;
    const QImage image = renderWidget(*icon).convertToFormat(QImage::Format_ARGB32);
    const QColor background = image.pixelColor(0, 0);
    const auto distance = [&](const QColor& c) {
        return std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
               std::abs(c.blue() - background.blue());
    };
    QColor strongest = background;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (distance(pixel) > distance(strongest))
                strongest = pixel;
        }
    }
    if (distance(strongest) < 60)
        return Mark::none;
    if (strongest.hsvSaturation() < 100)
        return Mark::optional;
    const int hue = strongest.hsvHue();
    if (hue > 100 && hue < 160)
        return Mark::granted;
    if (hue > 20 && hue < 50)
        return Mark::required;
    return Mark::none;
}

// Whether every wrapping text shown has the height its lines need: the
// window grows to fit what the rows say.
bool everyTextFits(QWidget& window)
{
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->wordWrap() && label->isVisibleTo(&window) &&
            label->height() < label->heightForWidth(label->width()))
            return false;
    }
    return true;
}

QStringList visibleButtons(QWidget& row)
{
    QStringList titles;
    for (const QPushButton* button : row.findChildren<QPushButton*>()) {
        if (button->isVisibleTo(&row))
            titles << button->text();
    }
    return titles;
}

QPushButton* button(QWidget& row, const QString& title)
{
    for (QPushButton* button : row.findChildren<QPushButton*>()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}

// The hue of the most saturated pixel of the label's text.
int textHue(QLabel& label)
{
    const QImage image = renderWidget(label).convertToFormat(QImage::Format_ARGB32);
    QColor best;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 200 &&
                (!best.isValid() || pixel.hsvSaturation() > best.hsvSaturation()))
                best = pixel;
        }
    }
    return best.isValid() ? best.hsvHue() : -1;
}

struct Window {
    explicit Window(const SimModel& model) : f(model), controller(std::move(f.model)) {}

    QWidget& show()
    {
        controller.show();
        return *controller.window();
    }
    QWidget& row(const QString& title) { return *controller.window()->findChild<QWidget*>(title); }

    OnboardingFixture f;
    OnboardingWindowController controller;
};

const QString accessibility = QStringLiteral("Accessibility");
const QString screenRecording = QStringLiteral("Screen Recording");
const QString automation = QStringLiteral("Browser Automation");

} // namespace

class TestOnboardingWindow : public QObject {
    Q_OBJECT
private slots:
    void rowsFollowThePermissions_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("capture");
        QTest::newRow("neither") << false << false;
        QTest::newRow("accessibility only") << true << false;
        QTest::newRow("screen recording only") << false << true;
        QTest::newRow("both") << true << true;
    }
    void rowsFollowThePermissions()
    {
        QFETCH(bool, trusted);
        QFETCH(bool, capture);
        Window w(SimScenarioBuilder().trusted(trusted).screenRecording(capture).build());
        QWidget& window = w.show();
        QTRY_VERIFY(everyTextFits(window));
        keepRender(renderWidget(window),
                   QStringLiteral("setup-window-%1").arg(QTest::currentDataTag()));

        QCOMPARE(statusMark(w.row(accessibility)), trusted ? Mark::granted : Mark::required);
        QCOMPARE(statusMark(w.row(screenRecording)), capture ? Mark::granted : Mark::optional);
        QCOMPARE(statusMark(w.row(automation)), Mark::optional);

        const QStringList settingsOnly{QStringLiteral("System Settings")};
        const QStringList withRequest{QStringLiteral("Request"), QStringLiteral("System Settings")};
        QCOMPARE(visibleButtons(w.row(accessibility)), trusted ? settingsOnly : withRequest);
        QCOMPARE(visibleButtons(w.row(screenRecording)), capture ? settingsOnly : withRequest);
        QCOMPARE(visibleButtons(w.row(automation)),
                 QStringList({QStringLiteral("Test"), QStringLiteral("System Settings")}));
        QCOMPARE(window.width(), 480);
        QCOMPARE(window.windowTitle(), QStringLiteral("Tessel Nav Setup"));
    }

    // A person answers the host's trust prompt while the window is open: the
    // next poll turns the row green and hides its button.
    void grantedThroughTheHostPromptWhileOpen()
    {
        Window w(SimScenarioBuilder().trusted(false).build());
        w.show();
        QVERIFY(w.f.sim.control.prompts().pending().isEmpty());
        QTest::mouseClick(button(w.row(accessibility), QStringLiteral("Request")), Qt::LeftButton);
        const QList<SimHostPrompt> prompts = w.f.sim.control.prompts().pending();
        QCOMPARE(prompts.size(), 1);
        QCOMPARE(prompts.first().kind, SimHostPrompt::Kind::accessibilityTrust);

        QVERIFY(w.f.sim.control.prompts().answer(prompts.first().id, true));
        QTRY_COMPARE_WITH_TIMEOUT(statusMark(w.row(accessibility)), Mark::granted, 1000);
        QCOMPARE(visibleButtons(w.row(accessibility)),
                 QStringList{QStringLiteral("System Settings")});
    }

    void pollingRunsExactlyWhileShown()
    {
        Window w(SimScenarioBuilder().trusted(false).screenRecording(false).build());
        OnboardingModel& model = w.controller.model();
        QVERIFY(!w.controller.window());
        QVERIFY(!model.isPolling());

        QWidget& window = w.show();
        QVERIFY(model.isPolling());
        window.close();
        QVERIFY(!model.isPolling());
        w.f.setScreenRecording(true);
        QTest::qWait(100);
        QVERIFY(!model.screenRecording());

        // Reopened: the same window, both flags read before it shows, polling again.
        w.f.setTrusted(true);
        QCOMPARE(&w.show(), &window);
        QVERIFY(model.accessibility());
        QVERIFY(model.screenRecording());
        QVERIFY(model.isPolling());
        QVERIFY(window.isVisible());
    }

    void returnRunsDone()
    {
        Window w(SimScenarioBuilder().build());
        QWidget& window = w.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_Return);
        QVERIFY(!window.isVisible());
        QVERIFY(!w.controller.model().isPolling());

        w.show();
        QTest::mouseClick(button(window, QStringLiteral("Done")), Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }

    void settingsButtonsOpenTheirPanes()
    {
        Window w(SimScenarioBuilder().build());
        w.show();
        for (const QString& row : {accessibility, screenRecording, automation})
            QTest::mouseClick(button(w.row(row), QStringLiteral("System Settings")),
                              Qt::LeftButton);
        const QString base =
            QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_");
        QCOMPARE(w.f.sim.urlOpener.opened(),
                 QList<QUrl>({QUrl(base + "Accessibility"), QUrl(base + "ScreenCapture"),
                              QUrl(base + "Automation")}));
    }

    void automationTestShowsItsResult_data()
    {
        QTest::addColumn<bool>("denied");
        QTest::addColumn<QString>("appError");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("passed");
        QTest::newRow("passed") << false << QString() << "Safari: 1 window \u2713" << true;
        QTest::newRow("failed") << true << QString()
                                << "Safari: Not authorized to send Apple events to Safari. (-1743)"
                                << false;
        // The app's own words, whatever they hold, are shown as they are.
        QTest::newRow("markup in the app's message")
            << false << "Expected <b> but found &lt;end&gt;"
            << "Safari: Expected <b> but found &lt;end&gt; (-2741)" << false;
    }
    void automationTestShowsItsResult()
    {
        QFETCH(bool, denied);
        QFETCH(QString, appError);
        QFETCH(QString, text);
        QFETCH(bool, passed);
        SimScenarioBuilder builder;
        builder.install(Browser::safari).launch(Browser::safari, 300).window("A").script("1");
        builder.lastInstance().scripting.automationDenied = denied;
        if (!appError.isEmpty())
            builder.lastInstance().scripting.error =
                QVariantMap{{QStringLiteral("NSAppleScriptErrorMessage"), appError},
                            {QStringLiteral("NSAppleScriptErrorNumber"), -2741}};
        Window w(builder.build());
        QWidget& window = w.show();
        auto* status = w.row(automation).findChild<QLabel*>(QStringLiteral("statusText"));
        QVERIFY(status);
        QVERIFY(!status->isVisibleTo(&window));

        const int heightBefore = window.height();
        QTest::mouseClick(button(w.row(automation), QStringLiteral("Test")), Qt::LeftButton);
        QTRY_VERIFY(everyTextFits(window));
        keepRender(renderWidget(window),
                   QStringLiteral("setup-window-automation-%1").arg(QTest::currentDataTag()));
        QVERIFY(status->isVisibleTo(&window));
        QCOMPARE(status->text(), text);
        // What the label shows (and tells assistive tools), not just what it holds.
        QCOMPARE(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), text);
        QVERIFY(window.height() > heightBefore); // the window grows to fit the line
        const int hue = textHue(*status);
        if (passed) {
            QVERIFY2(hue > 100 && hue < 160, qPrintable(QString::number(hue))); // green
            QCOMPARE(statusMark(w.row(automation)), Mark::granted);
            QCOMPARE(visibleButtons(w.row(automation)), QStringList{"System Settings"});
        } else {
            QVERIFY2(hue > 20 && hue < 50, qPrintable(QString::number(hue))); // orange
            QCOMPARE(statusMark(w.row(automation)), Mark::optional);
            QCOMPARE(visibleButtons(w.row(automation)), QStringList({"Test", "System Settings"}));
        }
    }

    // A focus ring marks only the button the keyboard moved to: none where the
    // focus landed when the window opened or a hidden button passed it on.
    void focusRingOnlyFromTheKeyboard_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("ring");
        QTest::newRow("window opened") << int(Qt::ActiveWindowFocusReason) << false;
        QTest::newRow("passed on") << int(Qt::OtherFocusReason) << false;
        QTest::newRow("Tab") << int(Qt::TabFocusReason) << true;
        QTest::newRow("Shift+Tab") << int(Qt::BacktabFocusReason) << true;
    }

    void focusRingOnlyFromTheKeyboard()
    {
        QFETCH(int, reason);
        QFETCH(bool, ring);
        Window w(SimScenarioBuilder().trusted(true).build());
        QWidget& window = w.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QPushButton* settings = button(w.row(accessibility), QStringLiteral("System Settings"));
        if (QWidget* focused = window.focusWidget())
            focused->clearFocus();
        const QPoint edge = settings->mapTo(&window, QPoint(0, settings->height() / 2)) * 2;
        const QColor before = renderWidget(window).pixelColor(edge);
        settings->setFocus(Qt::FocusReason(reason));
        QVERIFY(settings->hasFocus());
        const QColor after = renderWidget(window).pixelColor(edge);
        QCOMPARE(after != before, ring);
    }

    void brandLook()
    {
        Window w(SimScenarioBuilder().trusted(false).build());
        QWidget& window = w.show();
        const QImage image = renderWidget(window);
        // Cream in the corner; the forest "Done" button at the bottom centre.
        QCOMPARE(image.pixelColor(4, 4).rgb(), TesselBrand::creamWindowBackground().rgb());
        auto* done = button(window, QStringLiteral("Done"));
        const QPoint inDone = done->mapTo(&window, QPoint(6, done->height() / 2)) * 2;
        QCOMPARE(image.pixelColor(inDone).rgb(), TesselBrand::forest().rgb());
    }
};

QTEST_MAIN(TestOnboardingWindow)
#include "tst_OnboardingWindow.moc"
