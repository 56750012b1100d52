#include "app/RenderArguments.h"

#include <QTest>

using Kind = RenderRequest::Kind;

class TestRenderArguments : public QObject {
    Q_OBJECT
private slots:
    void rules_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("renders");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("path");
        const int view = int(Kind::view);
        const int window = int(Kind::window);

        QTest::newRow("nothing") << QStringList{} << false << 0 << QString();
        QTest::newRow("view") << QStringList{"--render-settings", "out.png"} << true << view
                              << "out.png";
        QTest::newRow("window") << QStringList{"--render-settings-window", "/tmp/w.png"} << true
                                << window << "/tmp/w.png";
        QTest::newRow("view option last: normal start")
            << QStringList{"--render-settings"} << false << 0 << QString();
        QTest::newRow("window option last: normal start")
            << QStringList{"-v", "--render-settings-window"} << false << 0 << QString();
        QTest::newRow("view wins, in either order")
            << QStringList{"--render-settings-window", "w.png", "--render-settings", "v.png"}
            << true << view << "v.png";
        QTest::newRow("view option last, window has a path")
            << QStringList{"--render-settings-window", "w.png", "--render-settings"} << true
            << window << "w.png";
        QTest::newRow("first occurrence counts")
            << QStringList{"--render-settings", "a.png", "--render-settings", "b.png"} << true
            << view << "a.png";
        QTest::newRow("the next argument is the path, whatever it is")
            << QStringList{"--render-settings", "--render-settings-window", "x"} << true << view
            << "--render-settings-window";
        QTest::newRow("exact match only")
            << QStringList{"--Render-Settings", "a.png", "--render-settings=b.png",
                           " --render-settings", "c.png"}
            << false << 0 << QString();
        QTest::newRow("relative path kept as given")
            << QStringList{"--render-settings", "../shots/a b.png"} << true << view
            << "../shots/a b.png";
    }

    void rules()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, renders);
        const std::optional<RenderRequest> request = RenderArguments::parse(arguments);
        QCOMPARE(request.has_value(), renders);
        if (request) {
            QTEST(int(request->kind), "kind");
            QTEST(request->path, "path");
        }
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
