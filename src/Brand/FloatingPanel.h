#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QPropertyAnimation;
class Workspace;

// A floating panel, such as the switcher's and the menu panel: a frameless
// window above the others that never takes the keyboard focus and never
// activates the program, so the app the user was in keeps the keyboard. Its
// background is transparent and its content draws a rounded surface; where
// nothing composites the window, the window is cut to that shape. It fades
// in and out, or comes and goes at once when the user asks for reduced
// motion.
class FloatingPanel : public QWidget {
    Q_OBJECT
public:
    // The corner radius the content draws, read at each showing and resize.
    using CornerRadius = std::function<double()>;

    FloatingPanel(const QString& title, CornerRadius cornerRadius, const Workspace& workspace);

    // Fills the panel with the view, which it takes over; the previous one
    // goes once control returns to the event loop, since it may be the one
    // whose event led here. Whoever places the panel decides its size.
    void setContentView(QWidget* view);
    QWidget* contentView() const { return m_contentView; }

    // Shows the panel, or brings it to the front while it is still up (fading
    // out, say), and fades it in from nothing.
    void fadeIn(int milliseconds);
    // Fades the panel out, hides it and reports fadedOut. A fadeIn meanwhile
    // keeps it up and cancels the report; hide() ends the panel at once.
    void fadeOut(int milliseconds);

signals:
    void fadedOut();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    bool reduceMotion() const;
    void fadeTo(double opacity, int milliseconds);
    void endFadeOut();

    const Workspace& m_workspace;
    QPropertyAnimation* m_fade;
    QPointer<QWidget> m_contentView;
};
