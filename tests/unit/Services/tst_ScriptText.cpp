#include "Services/ScriptText.h"

#include <QTest>

class TestScriptText : public QObject {
    Q_OBJECT
private slots:
    void tellApplicationByBundleID()
    {
        QCOMPARE(ScriptText::tellApplication(Browser::powerpoint),
                 "tell application id \"com.microsoft.Powerpoint\"");
    }

    void quoting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");

        QTest::newRow("plain") << "Report.pdf"
                               << "\"Report.pdf\"";
        QTest::newRow("quote and backslash") << "a\"b\\c"
                                             << "\"a\\\"b\\\\c\"";
        QTest::newRow("line breaks and tab") << "one\ntwo\r\tthree"
                                             << "\"onetwothree\"";
        QTest::newRow("direction mark") << "e\u200Ef"
                                        << "\"ef\"";
        // A tag character (beyond the first plane) is a format character too.
        QTest::newRow("tag of a subdivision flag")
            << QString::fromUcs4(U"x\U000E0067y") << "\"xy\"";
        QTest::newRow("emoji and accents stay") << "Café 🎉"
                                                << "\"Café 🎉\"";
        QTest::newRow("empty") << ""
                               << "\"\"";
    }
    void quoting()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QCOMPARE(ScriptText::quoted(text), quoted);
        QCOMPARE(ScriptText::escaped(text), quoted.mid(1, quoted.size() - 2));
    }
};

QTEST_GUILESS_MAIN(TestScriptText)
#include "tst_ScriptText.moc"
