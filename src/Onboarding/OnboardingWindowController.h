#pragma once

#include <memory>

class OnboardingModel;
class OnboardingView;
class QWidget;

// Owns the permissions setup window: built at the first show() and kept when
// closed, so later calls bring the same window back. show() is the one way
// to open it.
class OnboardingWindowController final {
public:
    explicit OnboardingWindowController(std::unique_ptr<OnboardingModel> model);
    ~OnboardingWindowController();
    OnboardingWindowController(const OnboardingWindowController&) = delete;
    OnboardingWindowController& operator=(const OnboardingWindowController&) = delete;

    // Builds the window on first use, reads both permissions afresh, and
    // brings the window to the front.
    void show();

    // For tests and benchmarks: the product never calls these.
    OnboardingModel& model() { return *m_model; }
    // None before the first show().
    QWidget* window() const;

private:
    std::unique_ptr<OnboardingModel> m_model;
    std::unique_ptr<OnboardingView> m_window; // after the model it shows
};
