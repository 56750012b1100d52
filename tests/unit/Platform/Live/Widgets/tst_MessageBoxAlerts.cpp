#include "Platform/Live/Widgets/MessageBoxAlerts.h"
#include "support/WidgetRender.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

class TestMessageBoxAlerts : public QObject {
    Q_OBJECT
private slots:
    // An alert that asks for something: its fields sit between the text and
    // the buttons, and what is typed comes back with the button pressed.
    void fieldsBetweenTextAndButtons()
    {
        Alert alert;
        alert.style = Alert::Style::warning;
        alert.messageText = QStringLiteral("Tessel Nav quit unexpectedly");
        alert.informativeText = QStringLiteral("Sending the report helps us fix it fast.");
        alert.buttons = {QStringLiteral("Send Report"), QStringLiteral("Don't Send")};
        alert.fields = {AlertTextField{QStringLiteral("Your email"), {}, false},
                        AlertTextField{QStringLiteral("e.g. opening the switcher"),
                                       QStringLiteral("What were you doing? (optional)"), true}};
        alert.activatesApplication = false;

        // Read while the alert is up; checked once it is gone, so that a
        // failure cannot leave the modal loop running.
        QList<int> tops; // text, e-mail field, note field, note's bottom, buttons
        QStringList placeholders;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            keepRender(renderWidget(*box), QStringLiteral("crash-prompt"));
            auto* email = box->findChild<QLineEdit*>();
            auto* note = box->findChild<QPlainTextEdit*>();
            auto* text = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
            auto* buttons = box->findChild<QDialogButtonBox*>();
            if (!email || !note || !text || !buttons) {
                box->reject();
                return;
            }
            const auto top = [box](QWidget* widget) { return widget->mapTo(box, QPoint()).y(); };
            tops = {top(text), top(email), top(note), top(note) + note->height(), top(buttons)};
            placeholders = {email->placeholderText(), note->placeholderText()};
            email->setText(QStringLiteral("ana@example.org"));
            note->setPlainText(QStringLiteral("two\nlines"));
            box->defaultButton()->click();
        });
        const AlertResponse response = MessageBoxAlerts().runModal(alert);
        QCOMPARE(tops.size(), 5);
        QVERIFY(std::is_sorted(tops.cbegin(), tops.cend()));
        QCOMPARE(placeholders, QStringList({QStringLiteral("Your email"),
                                            QStringLiteral("e.g. opening the switcher")}));
        QCOMPARE(response.button, 0);
        QCOMPARE(response.fieldValues,
                 QStringList({QStringLiteral("ana@example.org"), QStringLiteral("two\nlines")}));
    }

    // A report of hundreds of windows scrolls inside the alert, whose
    // buttons stay on screen; a short text does not scroll.
    void longTextScrollsAndTheButtonsStayOnScreen_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("three lines") << 3 << false;
        QTest::newRow("a report of 500 windows") << 1500 << true;
    }

    void longTextScrollsAndTheButtonsStayOnScreen()
    {
        QFETCH(int, lines);
        QFETCH(bool, scrolls);
        QStringList text;
        for (int i = 0; i < lines; ++i)
            text << QStringLiteral("[%1] [Safari] Window %1").arg(i + 1);
        Alert alert;
        alert.messageText = QStringLiteral("Browser Windows (%1)").arg(lines);
        alert.informativeText = text.join(QLatin1Char('\n'));

        bool scrolled = false;
        QRect box;
        QRect room;
        bool found = false;
        QTimer::singleShot(0, this, [&] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!shown)
                return;
            found = shown->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))
                        ->text()
                        .endsWith(QStringLiteral("Window %1").arg(lines));
            scrolled = shown->findChild<QScrollArea*>() != nullptr;
            box = shown->frameGeometry();
            room = shown->screen()->availableGeometry();
            shown->defaultButton()->click();
        });
        MessageBoxAlerts().runModal(alert);
        QVERIFY(found);
        QCOMPARE(scrolled, scrolls);
        QVERIFY2(box.height() <= room.height(), qPrintable(QString::number(box.height())));
    }
};

QTEST_MAIN(TestMessageBoxAlerts)
#include "tst_MessageBoxAlerts.moc"
