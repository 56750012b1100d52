#include "Models/SafariWindow.h"

#include <QDir>
#include <QTest>

#include <limits>

namespace {

SafariWindow record(Browser browser, std::optional<quint32> windowID,
                    std::optional<QString> scriptWindowID, const QString& title = {},
                    const QPointF& origin = {})
{
    SafariWindow window;
    window.browser = browser;
    window.pid = 501;
    window.windowID = windowID;
    window.scriptWindowID = std::move(scriptWindowID);
    window.title = title;
    window.frame = QRectF(origin, QSizeF(800, 600));
    return window;
}

std::optional<QString> none()
{
    return std::nullopt;
}

} // namespace

class TestSafariWindow : public QObject {
    Q_OBJECT
private slots:
    void identity_data()
    {
        QTest::addColumn<int>("browser");
        QTest::addColumn<int>("windowID");           // -1: none
        QTest::addColumn<QString>("scriptWindowID"); // null: none
        QTest::addColumn<QString>("title");
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<QString>("expected");

        QTest::newRow("document wins over window number")
            << int(Browser::photoshop) << 88 << "Poster.psd"
            << "" << QPointF() << "doc-photoshop-Poster.psd";
        QTest::newRow("document without window number")
            << int(Browser::acrobat) << -1 << "Report.pdf"
            << "" << QPointF() << "doc-acrobat-Report.pdf";
        QTest::newRow("window number wins over script id") << int(Browser::chrome) << 88 << "12"
                                                           << "" << QPointF() << "cg-88";
        QTest::newRow("document app window without a document")
            << int(Browser::indesign) << 7 << QString() << "" << QPointF() << "cg-7";
        QTest::newRow("accessibility only, fractions dropped toward zero")
            << int(Browser::terminal) << -1 << QString() << "build" << QPointF(10.7, -3.2)
            << "ax-501-build-10--3";
        QTest::newRow("negative half truncates to zero")
            << int(Browser::textedit) << -1 << QString() << "a-b" << QPointF(-0.5, 100.9)
            << "ax-501-a-b-0-100";
        QTest::newRow("script only") << int(Browser::safari) << -1 << "7"
                                     << "Inbox" << QPointF() << "as-safari-7";
    }
    void identity()
    {
        QFETCH(int, browser);
        QFETCH(int, windowID);
        QFETCH(QString, scriptWindowID);
        QFETCH(QString, title);
        QFETCH(QPointF, origin);
        QFETCH(QString, expected);

        const SafariWindow window =
            record(Browser(Browser::Case(browser)),
                   windowID < 0 ? std::nullopt : std::optional<quint32>(quint32(windowID)),
                   scriptWindowID.isNull() ? none() : std::optional<QString>(scriptWindowID), title,
                   origin);
        QCOMPARE(window.id(), expected);
    }

    void identityMatchesFocusNotifications()
    {
        const SafariWindow window = record(Browser::safari, 4242, none());
        QCOMPARE(window.id(), windowServerWindowId(4242));
    }

    void identityOfUnusualOrigins()
    {
        // Whatever these turn into, forming the id must neither fail nor crash.
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(record(Browser::word, std::nullopt, none(), "t", QPointF(nan, inf)).id(),
                 QStringLiteral("ax-501-t-0-9223372036854775807"));
        QCOMPARE(record(Browser::word, std::nullopt, none(), "t", QPointF(-inf, -1e300)).id(),
                 QStringLiteral("ax-501-t--9223372036854775808--9223372036854775808"));
        QCOMPARE(record(Browser::word, std::nullopt, none(), "t", QPointF(4e18, -4e18)).id(),
                 QStringLiteral("ax-501-t-4000000000000000000--4000000000000000000"));
    }

    void domain_data()
    {
        QTest::addColumn<QString>("url");      // null: none
        QTest::addColumn<QString>("expected"); // null: none

        const QString home = QDir::homePath();
        QTest::newRow("no url") << QString() << QString();
        QTest::newRow("www removed") << "https://www.example.com/a?b"
                                     << "example.com";
        QTest::newRow("only the first www") << "https://www.www.example.com/"
                                            << "www.example.com";
        QTest::newRow("www inside the host stays") << "https://maps.www.example.com"
                                                   << "maps.www.example.com";
        QTest::newRow("plain host") << "http://news.example.org:8080/x"
                                    << "news.example.org";
        QTest::newRow("no host") << "about:blank" << QString();
        QTest::newRow("folder in home")
            << QUrl::fromLocalFile(home + "/Documents/").toString() << "~/Documents";
        QTest::newRow("file in home")
            << QUrl::fromLocalFile(home + "/a b.txt").toString() << "~/a b.txt";
        QTest::newRow("home itself") << QUrl::fromLocalFile(home + "/").toString() << "~";
        QTest::newRow("beside home, same start")
            << QUrl::fromLocalFile(home + "ice/x").toString() << home + "ice/x";
        QTest::newRow("outside home") << "file:///Volumes/Backup/Photos/"
                                      << "/Volumes/Backup/Photos";
        QTest::newRow("root") << "file:///"
                              << "/";
    }
    void domain()
    {
        QFETCH(QString, url);
        QFETCH(QString, expected);
        SafariWindow window = record(Browser::finder, 1, none());
        if (!url.isNull())
            window.tabURL = QUrl(url);
        const std::optional<QString> domain = window.domain();
        if (expected.isNull())
            QVERIFY(!domain);
        else
            QCOMPARE(domain, expected);
    }

    void profileName_data()
    {
        QTest::addColumn<int>("browser");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected"); // null: none

        const QString dash = QStringLiteral(" \u2014 ");
        const int safari = Browser::safari;
        QTest::newRow("profile") << safari << "Work" + dash + "Inbox"
                                 << "Work";
        QTest::newRow("first separator counts")
            << safari << "Work" + dash + "Inbox" + dash + "Notes"
            << "Work";
        QTest::newRow("empty prefix") << safari << dash.mid(1) + "Inbox" << QString();
        QTest::newRow("leading blank and dash") << safari << dash + "Inbox" << QString();
        QTest::newRow("prefix with a dot") << safari << "example.com" + dash + "Page" << QString();
        QTest::newRow("prefix with a slash") << safari << "a/b" + dash + "Page" << QString();
        QTest::newRow("prefix with a bar") << safari << "a|b" + dash + "Page" << QString();
        QTest::newRow("24 characters")
            << safari << QString(24, 'x') + dash + "Page" << QString(24, 'x');
        QTest::newRow("25 characters") << safari << QString(25, 'x') + dash + "Page" << QString();
        // Counted as the reader sees them, not as code units.
        const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
        QTest::newRow("24 emoji") << safari << family.repeated(24) + dash + "Page"
                                  << family.repeated(24);
        QTest::newRow("plain hyphen") << safari << "Work - Inbox" << QString();
        QTest::newRow("en dash") << safari << "Work \u2013 Inbox" << QString();
        QTest::newRow("no spaces around the dash") << safari << "Work\u2014Inbox" << QString();
        QTest::newRow("chrome") << int(Browser::chrome) << "Work" + dash + "Inbox" << QString();
        QTest::newRow("arc") << int(Browser::arc) << "Work" + dash + "Inbox" << QString();
    }
    void profileName()
    {
        QFETCH(int, browser);
        QFETCH(QString, title);
        QFETCH(QString, expected);
        const SafariWindow window = record(Browser(Browser::Case(browser)), 1, none(), title);
        const std::optional<QString> profile = window.profileName();
        if (expected.isNull())
            QVERIFY(!profile);
        else
            QCOMPARE(profile, expected);
    }
};

QTEST_GUILESS_MAIN(TestSafariWindow)
#include "tst_SafariWindow.moc"
