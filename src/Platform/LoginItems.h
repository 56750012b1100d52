#pragma once

#include <QString>

#include <optional>

// Registration of the main application to start at login.
enum class LoginItemStatus { notRegistered, enabled, requiresApproval, notFound };

struct LoginItemError {
    QString description;
};

class LoginItems {
public:
    virtual ~LoginItems() = default;
    virtual LoginItemStatus status() const = 0;
    // No value on success.
    virtual std::optional<LoginItemError> registerMainApp() = 0;
    virtual std::optional<LoginItemError> unregisterMainApp() = 0;
};
