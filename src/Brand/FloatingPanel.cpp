#include "Brand/FloatingPanel.h"

#include "Platform/Live/Widgets/RoundedWindowMask.h"
#include "Platform/Workspace.h"

#include <QPropertyAnimation>
#include <QVBoxLayout>

FloatingPanel::FloatingPanel(const QString& title, CornerRadius cornerRadius,
                             const Workspace& workspace)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_workspace(workspace), m_fade(new QPropertyAnimation(this, "windowOpacity", this))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    // Qt shows help texts only in the active window, and this one never is.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    RoundedWindowMask::keep(*this, std::move(cornerRadius));
    // Only a fade-out that ran to its end hides the panel: a fadeIn stops it
    // before that.
    connect(m_fade, &QAbstractAnimation::finished, this, [this] {
        if (m_fade->endValue().toDouble() == 0)
            endFadeOut();
    });
}

void FloatingPanel::setContentView(QWidget* view)
{
    if (m_contentView) {
        m_contentView->hide();
        m_contentView->deleteLater();
    }
    m_contentView = view;
    if (view) {
        layout()->addWidget(view);
        view->show();
    }
}

bool FloatingPanel::reduceMotion() const
{
    return m_workspace.accessibilityDisplayShouldReduceMotion();
}

void FloatingPanel::fadeIn(int milliseconds)
{
    m_fade->stop();
    const bool animate = !reduceMotion();
    setWindowOpacity(animate ? 0 : 1);
    if (isVisible())
        raise();
    else
        show();
    if (animate)
        fadeTo(1, milliseconds);
}

void FloatingPanel::fadeOut(int milliseconds)
{
    m_fade->stop();
    if (reduceMotion())
        endFadeOut();
    else
        fadeTo(0, milliseconds);
}

void FloatingPanel::fadeTo(double opacity, int milliseconds)
{
    m_fade->setDuration(milliseconds);
    m_fade->setEndValue(opacity);
    m_fade->start();
}

void FloatingPanel::endFadeOut()
{
    hide();
    emit fadedOut();
}

void FloatingPanel::hideEvent(QHideEvent* event)
{
    // Out of sight there is nothing left to fade.
    m_fade->stop();
    QWidget::hideEvent(event);
}
