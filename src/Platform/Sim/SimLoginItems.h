#pragma once

#include "Platform/LoginItems.h"

class SimHost;

// The login item of the simulated desktop; registration fails with the
// model's loginItemError when one is set.
class SimLoginItems final : public LoginItems {
public:
    explicit SimLoginItems(SimHost& host) : m_host(host) {}

    LoginItemStatus status() const override;
    std::optional<LoginItemError> registerMainApp() override;
    std::optional<LoginItemError> unregisterMainApp() override;

private:
    std::optional<LoginItemError> change(LoginItemStatus status);
    SimHost& m_host;
};
