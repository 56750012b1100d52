#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Modal alerts: a message, an informative text, buttons and, for the few
// alerts that ask for something, editable text fields below the text.

struct AlertTextField {
    QString placeholder;
    QString caption;        // a small label above the field; empty for none
    bool multiline = false; // wraps onto several lines instead of scrolling
};

struct Alert {
    enum class Style { informational, warning };
    Style style = Style::informational;
    QString messageText;
    QString informativeText;
    QStringList buttons; // the first is the default button; none means one "OK"
    QList<AlertTextField> fields;
    // Brings the application to the front first, so that the alert of an
    // accessory application is not left behind the frontmost app's windows.
    bool activatesApplication = true;
};

struct AlertResponse {
    int button = 0;          // index into Alert::buttons
    QStringList fieldValues; // one per field, as typed
};

class Alerts {
public:
    virtual ~Alerts() = default;
    // Runs the alert modally on the main thread; returns when it is dismissed.
    virtual AlertResponse runModal(const Alert& alert) = 0;
};
