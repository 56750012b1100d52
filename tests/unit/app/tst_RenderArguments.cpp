#include "app/RenderArguments.h"

#include <QTest>

namespace {

QString described(const std::optional<std::variant<RenderRequest, MissingRenderPath>>& parsed)
{
    if (!parsed)
        return QStringLiteral("normal start");
    if (const auto* missing = std::get_if<MissingRenderPath>(&*parsed))
        return QStringLiteral("no path after ") + missing->option;
    const RenderRequest& request = std::get<RenderRequest>(*parsed);
    return (request.kind == RenderRequest::Kind::view ? QStringLiteral("view ")
                                                      : QStringLiteral("window ")) +
           request.path;
}

} // namespace

class TestRenderArguments : public QObject {
    Q_OBJECT
private slots:
    void rules_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("asked");

        QTest::newRow("nothing") << QStringList{} << "normal start";
        QTest::newRow("view") << QStringList{"--render-settings", "out.png"} << "view out.png";
        QTest::newRow("window") << QStringList{"--render-settings-window", "/tmp/w.png"}
                                << "window /tmp/w.png";
        QTest::newRow("view option last")
            << QStringList{"--render-settings"} << "no path after --render-settings";
        QTest::newRow("window option last") << QStringList{"-v", "--render-settings-window"}
                                            << "no path after --render-settings-window";
        QTest::newRow("view wins, in either order")
            << QStringList{"--render-settings-window", "w.png", "--render-settings", "v.png"}
            << "view v.png";
        QTest::newRow("view option last, window has a path")
            << QStringList{"--render-settings-window", "w.png", "--render-settings"}
            << "no path after --render-settings";
        QTest::newRow("window option last, view has a path")
            << QStringList{"--render-settings", "v.png", "--render-settings-window"}
            << "view v.png";
        QTest::newRow("first occurrence counts")
            << QStringList{"--render-settings", "a.png", "--render-settings", "b.png"}
            << "view a.png";
        QTest::newRow("the next argument is the path, whatever it is")
            << QStringList{"--render-settings", "--render-settings-window", "x"}
            << "view --render-settings-window";
        QTest::newRow("exact match only")
            << QStringList{"--Render-Settings", "a.png", "--render-settings=b.png",
                           " --render-settings", "c.png"}
            << "normal start";
        QTest::newRow("relative path kept as given")
            << QStringList{"--render-settings", "../shots/a b.png"} << "view ../shots/a b.png";
    }

    void rules()
    {
        QFETCH(QStringList, arguments);
        QTEST(described(RenderArguments::parse(arguments)), "asked");
    }

    void platformListEndsOffscreen_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<bool>("x11");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<QString>("platforms");
        QTest::newRow("no display") << "" << false << false << "offscreen";
        QTest::newRow("X11") << "" << true << false << "xcb;offscreen";
        QTest::newRow("Wayland") << "" << true << true << "wayland;xcb;offscreen";
        QTest::newRow("asked for, kept first") << "xcb" << false << false << "xcb;offscreen";
        QTest::newRow("offscreen asked for") << "offscreen" << true << false << "offscreen";
        QTest::newRow("a list with offscreen")
            << "vnc;offscreen" << true << false << "vnc;offscreen";
    }

    void platformListEndsOffscreen()
    {
        QFETCH(QString, requested);
        QFETCH(bool, x11);
        QFETCH(bool, wayland);
        QTEST(RenderArguments::platformList(requested, x11, wayland), "platforms");
    }

    void rectangleText_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole points")
            << QRectF(485, 131.5, 470, 637) << "{{485, 131.5}, {470, 637}}";
        QTest::newRow("negative origin, no negative zero")
            << QRectF(-1440, -0.0, 0.1, 2.0 / 3) << "{{-1440, 0}, {0.1, 0.6666666666666666}}";
        QTest::newRow("large, never an exponent")
            << QRectF(1e7, 0, 123456789.25, 1) << "{{10000000, 0}, {123456789.25, 1}}";
    }

    void rectangleText()
    {
        QFETCH(QRectF, rect);
        QTEST(RenderArguments::rectangleText(rect), "text");
    }
};

QTEST_APPLESS_MAIN(TestRenderArguments)
#include "tst_RenderArguments.moc"
