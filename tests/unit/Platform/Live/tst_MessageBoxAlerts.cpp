#include "Platform/Live/Widgets/MessageBoxAlerts.h"
#include "support/WidgetRender.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
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
};

QTEST_MAIN(TestMessageBoxAlerts)
#include "tst_MessageBoxAlerts.moc"
