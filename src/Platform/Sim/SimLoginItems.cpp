#include "SimLoginItems.h"

#include "Platform/Sim/SimHost.h"

LoginItemStatus SimLoginItems::status() const
{
    return m_host.read([](const SimModel& model) { return model.loginItemStatus; });
}

std::optional<LoginItemError> SimLoginItems::registerMainApp()
{
    return change(LoginItemStatus::enabled);
}

std::optional<LoginItemError> SimLoginItems::unregisterMainApp()
{
    return change(LoginItemStatus::notRegistered);
}

std::optional<LoginItemError> SimLoginItems::change(LoginItemStatus status)
{
    std::optional<LoginItemError> error;
    m_host.modify([&](SimModel& model) {
        if (model.loginItemError) {
            error = LoginItemError{*model.loginItemError};
            return;
        }
        model.loginItemStatus = status;
    });
    return error;
}
