#include "Platform/Live/JsonUserDefaults.h"

#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

const QVariantMap everyKind{
    {"text", QStringLiteral("active")},
    {"number", 260.5},
    {"flag", false},
    {"list", QVariantList{QStringLiteral("arc"), QStringLiteral("chrome")}},
    {"dictionary", QVariantMap{{"Work", QStringLiteral("3A7F5C")}}},
};

} // namespace

class TestJsonUserDefaults : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath("TesselNav/defaults.json");
        m_reports.clear();
    }

    void kindsSurviveAReload()
    {
        {
            JsonUserDefaults defaults(m_path, reporter());
            for (auto it = everyKind.cbegin(); it != everyKind.cend(); ++it)
                defaults.set(it.key(), it.value());
            defaults.set("integer", 42); // numbers come back as numbers, whatever their C++ type
            defaults.set("mark", QString(QChar(0xFEFF)) + "Work"); // a byte-order mark stays
            defaults.set("gone", true);
            defaults.remove("gone");
        }
        JsonUserDefaults reloaded(m_path, reporter());
        for (auto it = everyKind.cbegin(); it != everyKind.cend(); ++it) {
            const QVariant value = reloaded.object(it.key());
            QCOMPARE(value.typeId(), it.value().typeId());
            QCOMPARE(value, it.value());
        }
        QCOMPARE(reloaded.object("integer"), QVariant(42.0));
        QCOMPARE(reloaded.string("mark"), std::optional<QString>(QString(QChar(0xFEFF)) + "Work"));
        QVERIFY(!reloaded.object("gone").isValid());
        QCOMPARE(reloaded.stringList("list"), QStringList({"arc", "chrome"}));
        QVERIFY(reloaded.stringMap("dictionary"));
        QVERIFY(m_reports.isEmpty());
    }

    void wrongKindIsNotMissing()
    {
        JsonUserDefaults defaults(m_path, reporter());
        defaults.set("cardWidth", QStringLiteral("wide"));
        defaults.set("enabledBrowsers", QVariantList{QStringLiteral("safari"), 3.0});
        QVERIFY(defaults.object("cardWidth").isValid());
        QVERIFY(!defaults.number("cardWidth"));
        QVERIFY(!defaults.object("missing").isValid());
        QVERIFY(!defaults.stringList("enabledBrowsers"));
        QVERIFY(defaults.object("enabledBrowsers").isValid());
    }

    void crashMidWriteKeepsTheOldFile()
    {
        {
            JsonUserDefaults defaults(m_path, reporter());
            for (auto it = everyKind.cbegin(); it != everyKind.cend(); ++it)
                defaults.set(it.key(), it.value());
        }
        const QByteArray before = readAll(m_path);

        // A write puts a complete new file in place instead of rewriting the
        // old one: a second name for the old file still reads the old content.
        const QString oldName = m_dir->filePath("old.json");
        QVERIFY(::link(QFile::encodeName(m_path).constData(),
                       QFile::encodeName(oldName).constData()) == 0);
        {
            JsonUserDefaults defaults(m_path, reporter());
            defaults.set("text", QStringLiteral("changed"));
            QCOMPARE(JsonUserDefaults(m_path, reporter()).object("text"), QVariant("changed"));
        }
        QCOMPARE(readAll(oldName), before);
        QVERIFY(QFile::remove(m_path) && QFile::rename(oldName, m_path));

        // A write that dies before its commit: half a document in the
        // temporary file, never moved over the real one.
        {
            QSaveFile interrupted(m_path);
            QVERIFY(interrupted.open(QIODevice::WriteOnly));
            interrupted.write(before.left(before.size() / 2));
            interrupted.cancelWriting();
            QVERIFY(!interrupted.commit());
        }
        {
            QSaveFile abandoned(m_path);
            QVERIFY(abandoned.open(QIODevice::WriteOnly));
            abandoned.write("{\"text\": ");
        } // destroyed without commit
        QCOMPARE(readAll(m_path), before);

        JsonUserDefaults reloaded(m_path, reporter());
        for (auto it = everyKind.cbegin(); it != everyKind.cend(); ++it)
            QCOMPARE(reloaded.object(it.key()), it.value());
        QVERIFY(m_reports.isEmpty());
    }

    void damagedFileIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("syntax") << QByteArray("{\n  \"text\": \"a\",\n  oops\n}")
                                << "at line 3, column";
        QTest::newRow("not an object") << QByteArray("[1, 2]") << "no JSON object";
        QTest::newRow("empty") << QByteArray() << "line 1, column 1";
    }
    void damagedFileIsKeptAside()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
        writeAll(m_path, content);

        JsonUserDefaults defaults(m_path, reporter());
        QVERIFY(!defaults.object("text").isValid());

        const QStringList aside = keptAside();
        QCOMPARE(aside.size(), 1);
        QVERIFY(QRegularExpression("/defaults\\.json\\.corrupt-\\d{8}-\\d{6}$")
                    .match(aside.first())
                    .hasMatch());
        const QString asidePath = aside.first();
        QCOMPARE(readAll(asidePath), content);

        QCOMPARE(m_reports.size(), 1);
        QVERIFY2(m_reports.first().contains(m_path), qPrintable(m_reports.first()));
        QVERIFY2(m_reports.first().contains(asidePath), qPrintable(m_reports.first()));
        QVERIFY2(m_reports.first().contains(reason), qPrintable(m_reports.first()));

        // The store works on a fresh file; the kept copy is left alone.
        defaults.set("text", QStringLiteral("b"));
        QCOMPARE(JsonUserDefaults(m_path, reporter()).object("text"), QVariant("b"));
        QCOMPARE(readAll(asidePath), content);
    }

    // Broken by hand while the program runs: the next write keeps the file
    // aside and says so, then stores everything the program holds.
    void damagedHandEditIsKeptAsideAtTheNextWrite()
    {
        JsonUserDefaults defaults(m_path, reporter());
        defaults.set("text", QStringLiteral("a"));
        const QByteArray broken("{\"text\": \"b\",");
        writeAll(m_path, broken);

        defaults.set("flag", true);
        QTRY_COMPARE(keptAside().size(), 1);
        const QStringList aside = keptAside();
        QCOMPARE(readAll(aside.first()), broken);
        QCOMPARE(m_reports.size(), 1);
        QVERIFY2(m_reports.first().contains(aside.first()), qPrintable(m_reports.first()));

        JsonUserDefaults reloaded(m_path, reporter());
        QCOMPARE(reloaded.object("text"), QVariant("a"));
        QCOMPARE(reloaded.object("flag"), QVariant(true));
        QCOMPARE(m_reports.size(), 1);
    }

    void failedWriteIsReportedAndKeptInMemory()
    {
        // A path below a plain file can never be created, whatever the rights.
        const QString blocker = m_dir->filePath("blocker");
        writeAll(blocker, "x");
        const QString path = blocker + "/defaults.json";
        JsonUserDefaults defaults(path, reporter());
        defaults.set("preferredScreen", QStringLiteral("primary"));
        QCOMPARE(defaults.object("preferredScreen"), QVariant("primary"));
        QCOMPARE(m_reports.size(), 1);
        QVERIFY(m_reports.first().contains(path));
        QVERIFY2(m_reports.first().contains("could not be created: Not a directory"),
                 qPrintable(m_reports.first()));
    }

    // A full disk: the file stays as it was, byte for byte; the change is
    // reported once, kept, tried again without a word more, and reaches the
    // file on its own once there is room. At the end, one line names what
    // is lost; a store made for a single task says only that.
    void fullDiskKeepsTheFileWhole()
    {
        const auto stored = [this](const char* key) {
            return QJsonDocument::fromJson(readAll(m_path)).object().value(key);
        };
        JsonUserDefaults defaults(m_path, reporter());
        defaults.set("text", QStringLiteral("kept"));
        const QByteArray before = readAll(m_path);
        {
            const FileSizeLimit::Scoped full(rlim_t(before.size()) + 16);
            defaults.set("long", QString(64 * 1024, 'x'));
            defaults.synchronize();
            defaults.set("long", QString(64 * 1024, 'y'));
            defaults.synchronize();
            QTest::qWait(500);
            QCOMPARE(readAll(m_path), before);
        }
        QCOMPARE(m_reports.size(), 1);
        QVERIFY2(m_reports.first().contains(m_path) && m_reports.first().contains("File too large"),
                 qPrintable(m_reports.first()));
        QTRY_COMPARE(stored("long"), QJsonValue(QString(64 * 1024, 'y')));
        QCOMPARE(stored("text"), QJsonValue("kept"));
        QCOMPARE(m_reports.size(), 1);

        m_reports.clear();
        {
            const FileSizeLimit::Scoped full(8);
            JsonUserDefaults ending(m_path, reporter(), JsonUserDefaults::Lifetime::singleTask);
            ending.set("long", QStringLiteral("short"));
            ending.remove("text");
        }
        QCOMPARE(m_reports.size(), 1);
        QVERIFY2(m_reports.last().contains("File too large") &&
                     m_reports.last().endsWith("the changes to long, text are lost."),
                 qPrintable(m_reports.last()));
    }

    // A damaged file met on a full disk: it is set aside and the write of
    // everything held fails. The tries after it find no file, which is not
    // an edit that emptied the settings: once there is room, every value
    // held reaches the new file, and none was announced as changed.
    void damagedFileOnAFullDiskKeepsEveryValue()
    {
        JsonUserDefaults defaults(m_path, reporter());
        QStringList changed;
        connect(&defaults, &UserDefaults::changedOutside, this,
                [&changed](const QStringList& keys) { changed << keys; });
        for (auto it = everyKind.cbegin(); it != everyKind.cend(); ++it)
            defaults.set(it.key(), it.value());
        defaults.synchronize();
        writeAll(m_path, "{\"number\": 3");
        {
            const FileSizeLimit::Scoped full(8);
            defaults.set("added", true);
            QTRY_COMPARE(keptAside().size(), 1);
            QTest::qWait(500);
            QVERIFY(!QFileInfo::exists(m_path));
        }
        QTRY_VERIFY(QFileInfo::exists(m_path));
        JsonUserDefaults reloaded(m_path, reporter());
        for (auto it = everyKind.cbegin(); it != everyKind.cend(); ++it)
            QCOMPARE(reloaded.object(it.key()), it.value());
        QCOMPARE(reloaded.object("added"), QVariant(true));
        QVERIFY2(changed.isEmpty(), qPrintable(changed.join(", ")));
        QCOMPARE(m_reports.size(), 2);
    }

    // A drag, of a slider or of the panel's three centre keys: its first
    // value reaches the file at once, every later change waits for the
    // interval, whichever key it is, and the last ones always arrive: at the
    // end of the interval, or when the store goes.
    void writesWithinTheIntervalWaitForItsEnd()
    {
        const auto stored = [this](const char* key) {
            return QJsonDocument::fromJson(readAll(m_path)).object().value(key);
        };
        {
            JsonUserDefaults defaults(m_path, reporter());
            for (int step = 0; step <= 50; ++step)
                defaults.set("tintOpacity", step / 50.0);
            QCOMPARE(stored("tintOpacity"), QJsonValue(0.0));
            QVERIFY(QTest::qWaitFor([&] { return stored("tintOpacity") == QJsonValue(1.0); }));

            for (int step = 1; step <= 10; ++step) {
                defaults.set("panelCustomCenterX", 100 + step);
                defaults.set("panelCustomCenterY", 200 + step);
                defaults.set("panelHasCustomCenter", true);
            }
            QCOMPARE(stored("panelCustomCenterX"), QJsonValue(QJsonValue::Undefined));
            QVERIFY(QTest::qWaitFor([&] { return stored("panelHasCustomCenter").toBool(); }));
            QCOMPARE(stored("panelCustomCenterX"), QJsonValue(110));
            QCOMPARE(stored("panelCustomCenterY"), QJsonValue(210));
            defaults.set("cardWidth", 310);
        }
        QCOMPARE(stored("cardWidth"), QJsonValue(310));
        QVERIFY(m_reports.isEmpty());
    }

    void defaultPathFollowsXdg()
    {
        qputenv("XDG_CONFIG_HOME", m_dir->path().toUtf8());
        QCOMPARE(JsonUserDefaults::defaultPath(), m_dir->path() + "/TesselNav/defaults.json");
    }

private:
    // The paths of the damaged files moved aside.
    QStringList keptAside() const
    {
        const QDir folder = QFileInfo(m_path).absoluteDir();
        QStringList paths;
        for (const QString& name : folder.entryList({"defaults.json.corrupt-*"}))
            paths << folder.filePath(name);
        return paths;
    }

    JsonUserDefaults::Reporter reporter()
    {
        return [this](const QString& line) { m_reports << line; };
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QStringList m_reports;
};

QTEST_GUILESS_MAIN(TestJsonUserDefaults)
#include "tst_JsonUserDefaults.moc"
