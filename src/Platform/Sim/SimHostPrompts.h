#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <mutex>

class SimHost;

// One of the host's own dialogs, shown because the program asked for a
// permission or opened a privacy pane of the host's settings.
struct SimHostPrompt {
    enum class Kind {
        accessibilityTrust, // the trust check with its prompt option
        screenRecording,    // the screen-capture request
        privacyPane,        // a settings pane opened by URL, e.g. "Privacy_Accessibility"
    };
    enum class State { pending, granted, denied };

    int id = 0;
    Kind kind = Kind::accessibilityTrust;
    QString anchor; // privacyPane only
    State state = State::pending;

    // The dialog as the simulated host words it, for whoever draws it.
    QString title() const;
    QString text() const;
    QString grantButton() const;
    QString denyButton() const;
};

// The host's prompts and panes: recorded when the program causes them, drawn
// by the simulated desktop window while pending, and answered there by a
// person or here by a test. An answer changes the permission in the model at
// once, so the program's next check sees it:
// - a prompt answered "grant" turns its permission on; "deny" changes nothing
//   (the prompt only appears while the permission is off);
// - a pane is the permission's switch: "grant" turns it on, "deny" off. The
//   Automation pane switches every running app's Apple-event permission.
// An identical prompt that is still pending is not shown twice.
//
// Prompts may be raised from any thread; promptsChanged() arrives on the
// host's thread.
class SimHostPrompts final : public QObject {
    Q_OBJECT
public:
    explicit SimHostPrompts(SimHost& host);

    // Host side, called by the simulated facilities.
    void raise(SimHostPrompt::Kind kind, const QString& anchor = {});

    // Control face.
    QList<SimHostPrompt> pending() const;
    // False when there is no pending prompt with this id.
    bool answer(int id, bool grant);

    // For tests and benchmarks: the product never calls these.
    QList<SimHostPrompt> all() const;

signals:
    void promptsChanged();

private:
    void applyAnswer(const SimHostPrompt& prompt, bool grant);

    SimHost& m_host;
    mutable std::mutex m_mutex;
    QList<SimHostPrompt> m_prompts;
    int m_nextId = 1;
};
