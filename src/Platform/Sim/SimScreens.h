#pragma once

#include "Platform/Screens.h"

class SimHost;

class SimScreens final : public Screens {
public:
    explicit SimScreens(SimHost& host) : m_host(host) {}

    QList<ScreenInfo> screens() const override;
    std::optional<ScreenInfo> mainScreen() const override;
    QPointF mouseLocation() const override;

private:
    SimHost& m_host;
};
