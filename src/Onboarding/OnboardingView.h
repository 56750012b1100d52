#pragma once

#include <QWidget>

#include <functional>

class OnboardingModel;
class PermissionRow;

// The content of the permissions setup window: the wordmark and tagline, one
// row per permission (Accessibility, Screen Recording, Browser Automation),
// the privacy footer and "Done", which Return also runs. It polls the model's
// permissions exactly while it is on screen.
class OnboardingView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int windowWidth = 480;

    OnboardingView(OnboardingModel& model, std::function<void()> onDone, QWidget* parent = nullptr);
    ~OnboardingView() override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void refreshRows();
    void fitHeight();

    OnboardingModel& m_model;
    std::function<void()> m_onDone;
    PermissionRow* m_accessibilityRow = nullptr;
    PermissionRow* m_screenRecordingRow = nullptr;
    PermissionRow* m_automationRow = nullptr;
};
