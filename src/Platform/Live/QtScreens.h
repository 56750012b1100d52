#pragma once

#include "Platform/Screens.h"

// The screens and the pointer as Qt sees them, turned into bottom-left-origin
// points: the primary screen's bottom-left corner is (0, 0) and y grows upward.
class QtScreens final : public Screens {
public:
    QList<ScreenInfo> screens() const override;
    // The screen of the focused window, else the primary screen.
    std::optional<ScreenInfo> mainScreen() const override;
    QPointF mouseLocation() const override;
};
