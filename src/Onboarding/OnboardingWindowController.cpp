#include "Onboarding/OnboardingWindowController.h"

#include "Onboarding/OnboardingModel.h"
#include "Onboarding/OnboardingView.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

OnboardingWindowController::OnboardingWindowController(std::unique_ptr<OnboardingModel> model)
    : m_model(std::move(model))
{
}

OnboardingWindowController::~OnboardingWindowController() = default;

QWidget* OnboardingWindowController::window() const
{
    return m_window.get();
}

void OnboardingWindowController::show()
{
    if (!m_window) {
        m_window = std::make_unique<OnboardingView>(*m_model, [this] { m_window->close(); });
        m_window->setWindowTitle(
            QCoreApplication::translate("OnboardingWindowController", "Tessel Nav Setup"));
        m_window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowCloseButtonHint);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            m_window->move(area.center() - m_window->rect().center());
        }
    }
    m_model->refresh();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
