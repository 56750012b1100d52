#include "Platform/Live/Widgets/MessageBoxAlerts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <variant>

namespace {

using FieldEditor = std::variant<QLineEdit*, QPlainTextEdit*>;

// The fields live in a widget of their own placed in the message box's grid
// below the texts, where a QMessageBox has room for custom content.
QList<FieldEditor> addFields(QMessageBox& box, const QList<AlertTextField>& fields)
{
    QList<FieldEditor> editors;
    if (fields.isEmpty())
        return editors;

    auto* panel = new QWidget(&box);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(6);
    for (const AlertTextField& field : fields) {
        if (!field.caption.isEmpty()) {
            auto* caption = new QLabel(field.caption, panel);
            QFont font = caption->font();
            font.setPointSizeF(font.pointSizeF() * 11.0 / 12.0);
            caption->setFont(font);
            caption->setForegroundRole(QPalette::PlaceholderText);
            layout->addWidget(caption);
        }
        if (field.multiline) {
            auto* editor = new QPlainTextEdit(panel);
            editor->setPlaceholderText(field.placeholder);
            editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            editor->setFixedSize(300, 44);
            editor->setTabChangesFocus(true);
            layout->addWidget(editor);
            editors << FieldEditor(editor);
        } else {
            auto* editor = new QLineEdit(panel);
            editor->setPlaceholderText(field.placeholder);
            editor->setFixedWidth(300);
            layout->addWidget(editor);
            editors << FieldEditor(editor);
        }
    }
    // Between the texts and the buttons, where the host puts an alert's
    // accessory view: the buttons move one row down to make room.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return editors;
    auto* buttonBox = box.findChild<QDialogButtonBox*>();
    const int buttonIndex = buttonBox ? grid->indexOf(buttonBox) : -1;
    if (buttonIndex < 0) {
        grid->addWidget(panel, grid->rowCount(), 1, 1, grid->columnCount() - 1);
        return editors;
    }
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(buttonIndex, &row, &column, &rowSpan, &columnSpan);
    // The fields line up with the texts' column.
    int textColumn = 1;
    if (auto* text = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        int textRow = 0, span = 0, textSpan = 0;
        grid->getItemPosition(grid->indexOf(text), &textRow, &textColumn, &span, &textSpan);
    }
    grid->removeWidget(buttonBox);
    grid->addWidget(panel, row, textColumn, 1, grid->columnCount() - textColumn);
    grid->addWidget(buttonBox, row + 1, column, rowSpan, columnSpan);
    return editors;
}

// A text taller than half the screen scrolls inside the alert, so that the
// alert and its buttons stay on screen (the window report can list hundreds
// of windows).
void scrollLongText(QMessageBox& box)
{
    auto* text = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    const QScreen* screen = box.screen();
    if (!text || !grid || !screen)
        return;
    const int room = screen->availableGeometry().height() / 2;
    const int width = text->sizeHint().width();
    if (text->heightForWidth(width) <= room)
        return;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(text), &row, &column, &rowSpan, &columnSpan);
    grid->removeWidget(text);
    auto* scroll = new QScrollArea(&box);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    text->setAutoFillBackground(false);
    scroll->setWidget(text);
    scroll->setFixedSize(width + scroll->verticalScrollBar()->sizeHint().width(), room);
    grid->addWidget(scroll, row, column, rowSpan, columnSpan);
}

QString valueOf(const FieldEditor& editor)
{
    if (const auto* line = std::get_if<QLineEdit*>(&editor))
        return (*line)->text();
    return std::get<QPlainTextEdit*>(editor)->toPlainText();
}

} // namespace

AlertResponse MessageBoxAlerts::runModal(const Alert& alert)
{
    QMessageBox box(alert.style == Alert::Style::warning ? QMessageBox::Warning
                                                         : QMessageBox::Information,
                    QString(), alert.messageText);
    box.setInformativeText(alert.informativeText);
    // The message is the alert's headline, set off from the text below it.
    if (auto* message = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        QFont font = message->font();
        font.setBold(true);
        message->setFont(font);
    }
    box.setWindowTitle(alert.messageText);

    const QStringList titles =
        alert.buttons.isEmpty() ? QStringList{QCoreApplication::translate("MessageBoxAlerts", "OK")}
                                : alert.buttons;
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < titles.size(); ++i) {
        QPushButton* button =
            box.addButton(titles[i], i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        buttons << button;
        if (i == 0)
            box.setDefaultButton(button);
    }
    if (titles.size() > 1)
        box.setEscapeButton(buttons.last());

    scrollLongText(box);
    const QList<FieldEditor> editors = addFields(box, alert.fields);

    if (alert.activatesApplication) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.show();
        box.raise();
        box.activateWindow();
    }
    box.exec();

    AlertResponse response;
    // A box closed without a button counts as its last button: the one that
    // declines, where there is a choice.
    const qsizetype clicked = buttons.indexOf(box.clickedButton());
    response.button = int(clicked >= 0 ? clicked : buttons.size() - 1);
    for (const FieldEditor& editor : editors)
        response.fieldValues << valueOf(editor);
    return response;
}
