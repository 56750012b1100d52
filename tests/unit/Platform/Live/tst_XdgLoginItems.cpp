#include "Platform/Live/XdgLoginItems.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestXdgLoginItems : public QObject {
    Q_OBJECT
private slots:
    void roundTrip()
    {
        QTemporaryDir dir;
        const QString entry = dir.filePath("autostart/tessel-nav.desktop");
        XdgLoginItems items("/opt/Tessel Nav/bin/tessel-nav", entry);
        QCOMPARE(items.status(), LoginItemStatus::notRegistered);

        QVERIFY(!items.registerMainApp());
        QCOMPARE(items.status(), LoginItemStatus::enabled);
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        file.close();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY2(text.contains("\nExec=\"/opt/Tessel Nav/bin/tessel-nav\"\n"), qPrintable(text));
        QVERIFY(text.contains("\nType=Application\n"));

        QVERIFY(!items.unregisterMainApp());
        QCOMPARE(items.status(), LoginItemStatus::notRegistered);
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!items.unregisterMainApp()); // nothing to remove is no failure
    }

    void hiddenEntries_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nType=Application\nHidden=true\n")
                                << false;
        QTest::newRow("hidden with blanks")
            << QByteArray("[Desktop Entry]\nHidden = true\nExec=x\n") << false;
        QTest::newRow("not hidden") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("no Hidden key") << QByteArray("[Desktop Entry]\nExec=x\n") << true;
        QTest::newRow("Hidden in another group")
            << QByteArray("[Desktop Entry]\nExec=x\n[Desktop Action quit]\nHidden=true\n") << true;
    }
    void hiddenEntries()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, enabled);
        QTemporaryDir dir;
        const QString entry = dir.filePath("tessel-nav.desktop");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        XdgLoginItems items("/usr/bin/tessel-nav", entry);
        QCOMPARE(items.status(),
                 enabled ? LoginItemStatus::enabled : LoginItemStatus::notRegistered);

        // Registering replaces a hidden entry with a live one.
        QVERIFY(!items.registerMainApp());
        QCOMPARE(items.status(), LoginItemStatus::enabled);
    }

    void unwritableEntryIsAnError()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        const QString entry = dir.filePath("autostart/tessel-nav.desktop");
        XdgLoginItems items("/usr/bin/tessel-nav", entry);
        const std::optional<LoginItemError> error = items.registerMainApp();
        QVERIFY(error);
        QVERIFY2(error->description.contains(entry), qPrintable(error->description));
        QCOMPARE(items.status(), LoginItemStatus::notRegistered);
    }

    void execQuoting_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/tessel-nav"
                               << "Exec=/usr/bin/tessel-nav\n";
        QTest::newRow("percent") << "/opt/100%/tessel-nav"
                                 << "Exec=/opt/100%%/tessel-nav\n";
        QTest::newRow("dollar and quote") << "/opt/a$b\"c/tessel-nav"
                                          << "Exec=\"/opt/a\\\\$b\\\\\"c/tessel-nav\"\n";
        // A line break must not end the Exec line: the rest would become keys
        // of their own (here one that switches the entry off).
        QTest::newRow("line break") << "/tmp/a\nHidden=true\n/tessel-nav"
                                    << "Exec=\"/tmp/a\\nHidden=true\\n/tessel-nav\"\n";
    }
    void execQuoting()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QTemporaryDir dir;
        XdgLoginItems items(program, dir.filePath("e.desktop"));
        QVERIFY(!items.registerMainApp());
        QFile file(dir.filePath("e.desktop"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains('\n' + exec), qPrintable(text));
        QCOMPARE(text.count(QLatin1Char('\n')), 4);
        QCOMPARE(items.status(), LoginItemStatus::enabled);
    }

    void defaultEntryFollowsXdg()
    {
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        QCOMPARE(XdgLoginItems::defaultEntryPath(), dir.path() + "/autostart/tessel-nav.desktop");
    }
};

QTEST_GUILESS_MAIN(TestXdgLoginItems)
#include "tst_XdgLoginItems.moc"
