#include "Overlay/Cards/WindowCardRules.h"
#include "Overlay/OverlayRules.h"

#include "Brand/TesselTile.h"

#include <QDir>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(WindowCardRules::Pill)

namespace {

SafariWindow window(Browser browser, const QString& title, const QString& url = {},
                    bool minimized = false)
{
    SafariWindow result;
    result.browser = browser;
    result.title = title;
    result.isMinimized = minimized;
    result.windowID = 7;
    if (!url.isEmpty())
        result.tabURL = QUrl(url);
    return result;
}

using WindowCardRules::Pill;
using WindowCardRules::PillKind;

} // namespace

class TestWindowCardRules : public QObject {
    Q_OBJECT
private slots:
    void displayTitle_data()
    {
        QTest::addColumn<int>("browser");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("profilePill");
        QTest::addColumn<QString>("expected");

        const QString emDash = QStringLiteral(" \u2014 ");
        QTest::newRow("plain title") << int(Browser::chrome) << "Inbox"
                                     << "" << true << "Inbox";
        QTest::newRow("profile cut with the pill on")
            << int(Browser::safari) << "Work" + emDash + "Inbox"
            << "" << true << "Inbox";
        QTest::newRow("full title with the pill off")
            << int(Browser::safari) << "Work" + emDash + "Inbox"
            << "" << false << "Work" + emDash + "Inbox";
        QTest::newRow("only the first separator is cut")
            << int(Browser::safari) << "Work" + emDash + "A" + emDash + "B"
            << "" << true << "A" + emDash + "B";
        QTest::newRow("nothing after the separator falls back to the title")
            << int(Browser::safari) << "Work" + emDash << "" << true << "Work" + emDash;
        QTest::newRow("leading separator: no profile, full title")
            << int(Browser::safari) << emDash + "Inbox"
            << "" << true << emDash + "Inbox";
        QTest::newRow("site name before the separator is no profile")
            << int(Browser::safari) << "example.com" + emDash + "Home"
            << "" << true << "example.com" + emDash + "Home";
        QTest::newRow("other apps keep their separator")
            << int(Browser::chrome) << "Work" + emDash + "Inbox"
            << "" << true << "Work" + emDash + "Inbox";
        QTest::newRow("empty title shows the host")
            << int(Browser::chrome) << ""
            << "https://www.example.org/a" << true << "example.org";
        QTest::newRow("empty title, no location") << int(Browser::chrome) << ""
                                                  << "" << true << "Untitled Window";
    }
    void displayTitle()
    {
        QFETCH(int, browser);
        QFETCH(QString, title);
        QFETCH(QString, url);
        QFETCH(bool, profilePill);
        QFETCH(QString, expected);
        QCOMPARE(
            WindowCardRules::displayTitle(window(Browser::Case(browser), title, url), profilePill),
            expected);
    }

    void monogram_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("letter"); // empty: the window symbol

        const QString home = QDir::homePath();
        QTest::newRow("host before title") << "Inbox"
                                           << "https://www.mail.example.com/x"
                                           << "mail.example.com"
                                           << "M";
        QTest::newRow("title without location") << "zsh"
                                                << ""
                                                << "zsh"
                                                << "Z";
        QTest::newRow("nothing at all") << ""
                                        << ""
                                        << "Untitled Window"
                                        << "U";
        QTest::newRow("home folder reads as a tilde")
            << "Documents" << QUrl::fromLocalFile(home + "/Documents/").toString() << "~/Documents"
            << "~";
        QTest::newRow("leading space shows the symbol") << " padded"
                                                        << ""
                                                        << " padded"
                                                        << "";
        QTest::newRow("empty location text shows the symbol") << "Title"
                                                              << "file:"
                                                              << ""
                                                              << "";
        QTest::newRow("accented letter upper-cased") << "\u00e9t\u00e9"
                                                     << ""
                                                     << "\u00e9t\u00e9"
                                                     << "\u00c9";
        QTest::newRow("decomposed accent stays with its letter") << "e\u0301cole"
                                                                 << ""
                                                                 << "e\u0301cole"
                                                                 << "E\u0301";
        QTest::newRow("upper-casing may lengthen") << "\u00dfe"
                                                   << ""
                                                   << "\u00dfe"
                                                   << "SS";
        QTest::newRow("emoji sequence is one character") << "\U0001F469\u200D\U0001F4BB code"
                                                         << ""
                                                         << "\U0001F469\u200D\U0001F4BB code"
                                                         << "\U0001F469\u200D\U0001F4BB";
        QTest::newRow("right-to-left") << "\u05e9\u05dc\u05d5\u05dd"
                                       << ""
                                       << "\u05e9\u05dc\u05d5\u05dd"
                                       << "\u05e9";
    }
    void monogram()
    {
        QFETCH(QString, title);
        QFETCH(QString, url);
        QFETCH(QString, name);
        QFETCH(QString, letter);
        const SafariWindow w = window(Browser::finder, title, url);
        QCOMPARE(WindowCardRules::monogramName(w), name);
        const QString shown = WindowCardRules::monogramLetter(name);
        if (letter.isEmpty())
            QVERIFY(WindowCardRules::monogramShowsSymbol(shown));
        else
            QCOMPARE(shown, letter);
        // The tile's colour is the name's, the name lower-cased.
        QCOMPARE(TesselTile::color(name), TesselTile::color(name.toLower()));
    }

    void letterSize_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("size");
        QTest::newRow("default width is capped") << 260.0 << 46.0;
        QTest::newRow("small card") << 180.0 << 39.375;
    }
    void letterSize()
    {
        QFETCH(double, width);
        QFETCH(double, size);
        QCOMPARE(WindowCardRules::monogramLetterSize(width), size);
        QCOMPARE(WindowCardRules::thumbnailSize(width), QSizeF(width, width * 0.625));
    }

    void pills_data()
    {
        QTest::addColumn<int>("browser");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<bool>("profilePill");
        QTest::addColumn<bool>("appPill");
        QTest::addColumn<QList<Pill>>("expected");

        const QString title = QStringLiteral("Work \u2014 Inbox");
        const Pill profile{PillKind::profile, "Work"};
        const Pill safari{PillKind::app, "Safari"};
        const Pill minimized{PillKind::minimized, "Minimized"};
        QTest::newRow("minimized Safari window with a profile, all pills")
            << int(Browser::safari) << title << true << true << true
            << QList<Pill>{profile, safari, minimized};
        QTest::newRow("profile pill off") << int(Browser::safari) << title << true << false << true
                                          << QList<Pill>{safari, minimized};
        QTest::newRow("one app listed")
            << int(Browser::safari) << title << false << true << false << QList<Pill>{profile};
        QTest::newRow("no profile in the title")
            << int(Browser::safari) << "Inbox" << false << true << true << QList<Pill>{safari};
        QTest::newRow("chrome has no profiles")
            << int(Browser::chrome) << title << true << true << true
            << QList<Pill>{{PillKind::app, "Chrome"}, minimized};
    }
    void pills()
    {
        QFETCH(int, browser);
        QFETCH(QString, title);
        QFETCH(bool, minimized);
        QFETCH(bool, profilePill);
        QFETCH(bool, appPill);
        QFETCH(QList<Pill>, expected);
        QCOMPARE(WindowCardRules::pills(window(Browser::Case(browser), title, {}, minimized),
                                        profilePill, appPill),
                 expected);
    }

    void snapshotFit_data()
    {
        QTest::addColumn<QSizeF>("image");
        QTest::addColumn<QRectF>("expected");
        // A 260-point card: thumbnail 260 × 162.5, box 252 × 154.5 from (4, 4).
        QTest::newRow("wide: bands above and below")
            << QSizeF(2520, 500) << QRectF(4, 4 + (154.5 - 50) / 2, 252, 50);
        QTest::newRow("narrow: bands left and right")
            << QSizeF(309, 1545) << QRectF(4 + (252 - 30.9) / 2, 4, 30.9, 154.5);
        QTest::newRow("one pixel fills the height")
            << QSizeF(1, 1) << QRectF(4 + (252 - 154.5) / 2, 4, 154.5, 154.5);
        QTest::newRow("extreme strip")
            << QSizeF(16384, 16)
            << QRectF(4, 4 + (154.5 - 252.0 * 16 / 16384) / 2, 252, 252.0 * 16 / 16384);
        QTest::newRow("empty image") << QSizeF(0, 0) << QRectF();
    }
    void snapshotFit()
    {
        QFETCH(QSizeF, image);
        QFETCH(QRectF, expected);
        const QRectF fitted = WindowCardRules::snapshotRect(image, QRectF(0, 0, 260, 162.5));
        QCOMPARE(fitted.isEmpty(), expected.isEmpty());
        if (expected.isEmpty())
            return;
        QVERIFY2(std::abs(fitted.x() - expected.x()) < 1e-6 &&
                     std::abs(fitted.y() - expected.y()) < 1e-6 &&
                     std::abs(fitted.width() - expected.width()) < 1e-6 &&
                     std::abs(fitted.height() - expected.height()) < 1e-6,
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(fitted.x())
                                .arg(fitted.y())
                                .arg(fitted.width())
                                .arg(fitted.height())));
    }

    void singleLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("expected");
        QTest::newRow("line breaks and tabs become spaces") << "a\nb\tc\u2028d" << 512 << "a b c d";
        QTest::newRow("control characters") << QString::fromUtf8("a\x01\x7f b") << 512 << "a   b";
        QTest::newRow("cut keeps a surrogate pair whole")
            << "ab\U0001F600cd" << 3 << "ab\U0001F600";
        QTest::newRow("cut keeps combining marks with their letter")
            << "ae\u0301\u0301x" << 2 << "ae\u0301\u0301";
        QTest::newRow("short text unchanged") << "Inbox" << 512 << "Inbox";
    }
    void singleLine()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        QCOMPARE(WindowCardRules::singleLine(text, limit), expected);
    }

    // A search query keeps what was typed last, and its cut, too, keeps a
    // character whole.
    void singleLineKeepingTheEnd()
    {
        using WindowCardRules::Keep;
        QCOMPARE(WindowCardRules::singleLine("abcdef", 3, Keep::end), "def");
        QCOMPARE(WindowCardRules::singleLine("ab\U0001F600cd", 3, Keep::end), "\U0001F600cd");
        QCOMPARE(WindowCardRules::singleLine("xe\u0301\u0301yz", 4, Keep::end), "e\u0301\u0301yz");
    }

    void profileColor_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("stored"); // null: no entry
        QTest::addColumn<QColor>("expected");
        const QString title = QStringLiteral("Work \u2014 Inbox");
        QTest::newRow("stored valid hex") << title << "FF8000" << QColor(255, 128, 0);
        QTest::newRow("stored invalid hex falls back to the name's colour")
            << title << "ZZ8000" << TesselTile::color("Work");
        QTest::newRow("nothing stored") << title << QString() << TesselTile::color("Work");
        QTest::newRow("no profile: clear") << "Inbox"
                                           << "FF8000" << QColor(Qt::transparent);
    }
    void profileColor()
    {
        QFETCH(QString, title);
        QFETCH(QString, stored);
        QFETCH(QColor, expected);
        QMap<QString, QString> colors;
        if (!stored.isNull())
            colors.insert(QStringLiteral("Work"), stored);
        colors.insert(QStringLiteral("Home"), QStringLiteral("000000"));
        QCOMPARE(OverlayRules::profileColor(window(Browser::safari, title), colors).rgba(),
                 expected.rgba());
    }

    void tintStrength_data()
    {
        QTest::addColumn<double>("setting");
        QTest::addColumn<double>("strength");
        QTest::newRow("default") << 0.4 << 0.26;
        QTest::newRow("full") << 1.0 << 0.65;
        QTest::newRow("above one") << 3.0 << 0.65;
        QTest::newRow("negative") << -0.5 << 0.0;
        QTest::newRow("not a number") << std::nan("") << 0.0;
    }
    void tintStrength()
    {
        QFETCH(double, setting);
        QFETCH(double, strength);
        QVERIFY(std::abs(OverlayRules::tintStrength(setting) - strength) < 1e-9);
    }

    void effectiveTint()
    {
        const QList<SafariWindow> windows{
            window(Browser::chrome, "A", "https://a.example.com/"),
            window(Browser::chrome, "", ""),
        };
        QHash<QString, QColor> averages;
        // Fixed tints ignore the cards; none has no colour.
        QCOMPARE(OverlayRules::effectiveTint(GlassTint::ocean, windows, 0, averages),
                 color(GlassTint::ocean));
        QVERIFY(!OverlayRules::effectiveTint(GlassTint::none, windows, 0, averages));
        // Dynamic: the monogram's colour until the snapshot's colour is known.
        QCOMPARE(OverlayRules::effectiveTint(GlassTint::dynamic, windows, 0, averages),
                 TesselTile::color("a.example.com"));
        QCOMPARE(OverlayRules::effectiveTint(GlassTint::dynamic, windows, 1, averages),
                 TesselTile::color("Untitled Window"));
        averages.insert(windows[0].id(), QColor(10, 20, 30));
        QCOMPARE(OverlayRules::effectiveTint(GlassTint::dynamic, windows, 0, averages),
                 QColor(10, 20, 30));
        QVERIFY(!OverlayRules::effectiveTint(GlassTint::dynamic, windows, 2, averages));
        QVERIFY(!OverlayRules::effectiveTint(GlassTint::dynamic, {}, 0, averages));
    }

    void placement_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("windows");
        QTest::addColumn<bool>("scoped");
        QTest::addColumn<int>("apps");
        QTest::addColumn<int>("arrangement");
        QTest::addColumn<bool>("chips");
        QTest::addColumn<bool>("rail");
        QTest::addColumn<double>("pillTop");

        using A = OverlayRules::Arrangement;
        const int strip = int(LayoutMode::strip), grid = int(LayoutMode::grid);
        QTest::newRow("two apps at the centre") << int(PanelPosition::center) << strip << 5 << false
                                                << 2 << int(A::strip) << true << false << 50.0;
        QTest::newRow("one app") << int(PanelPosition::center) << strip << 5 << false << 1
                                 << int(A::strip) << false << false << 10.0;
        QTest::newRow("scoped showing has no chips") << int(PanelPosition::top) << grid << 5 << true
                                                     << 2 << int(A::grid) << false << false << 10.0;
        QTest::newRow("left edge with chips: rail")
            << int(PanelPosition::left) << grid << 5 << false << 3 << int(A::column) << true << true
            << 10.0;
        QTest::newRow("right edge, one app: plain column")
            << int(PanelPosition::right) << strip << 5 << false << 1 << int(A::column) << false
            << false << 10.0;
        QTest::newRow("grid of one card is a strip")
            << int(PanelPosition::bottom) << grid << 1 << false << 1 << int(A::strip) << false
            << false << 10.0;
    }
    void placement()
    {
        QFETCH(int, position);
        QFETCH(int, layout);
        QFETCH(int, windows);
        QFETCH(bool, scoped);
        QFETCH(int, apps);
        QFETCH(int, arrangement);
        QFETCH(bool, chips);
        QFETCH(bool, rail);
        QFETCH(double, pillTop);
        const auto where = PanelPosition(position);
        QCOMPARE(int(OverlayRules::arrangement(where, LayoutMode(layout), windows)), arrangement);
        const bool shown = OverlayRules::chipsShown(scoped, apps);
        QCOMPARE(shown, chips);
        QCOMPARE(OverlayRules::railLayout(where, shown), rail);
        QCOMPARE(OverlayRules::searchPillTop(shown, OverlayRules::railLayout(where, shown)),
                 pillTop);
    }

    void texts()
    {
        QCOMPARE(OverlayRules::emptyText({}), QStringLiteral("No browser windows open"));
        QCOMPARE(OverlayRules::emptyText("git"),
                 QStringLiteral("No windows match \u201Cgit\u201D"));
        QCOMPARE(OverlayRules::allChipToolTip(), QStringLiteral("Show every app (\u23181)"));
        QCOMPARE(OverlayRules::appChipToolTip(Browser::safari, 0),
                 QStringLiteral("Show only Safari (\u23182)"));
        QCOMPARE(OverlayRules::appChipToolTip(Browser::chrome, 1),
                 QStringLiteral("Show only Chrome (\u23183)"));
        QVERIFY(!OverlayRules::searchPillShown({}, 0));
        QVERIFY(OverlayRules::searchPillShown("x", 0));
        QVERIFY(OverlayRules::railLeadsCards(PanelPosition::right));
        QVERIFY(!OverlayRules::railLeadsCards(PanelPosition::left));
    }

    void duplicateIdsShareTheFirstIndex()
    {
        const SafariWindow a = window(Browser::chrome, "A");
        SafariWindow b = window(Browser::chrome, "B");
        b.windowID = 8;
        const QList<SafariWindow> windows{a, b, a};
        QCOMPARE(OverlayRules::cardIndex(windows, 0), 0);
        QCOMPARE(OverlayRules::cardIndex(windows, 1), 1);
        QCOMPARE(OverlayRules::cardIndex(windows, 2), 0);
        QCOMPARE(OverlayRules::cardIndex(windows, 3), 0);
    }
};

QTEST_GUILESS_MAIN(TestWindowCardRules)
#include "tst_WindowCardRules.moc"
