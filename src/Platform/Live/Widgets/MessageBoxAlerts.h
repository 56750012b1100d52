#pragma once

#include "Platform/Alerts.h"

// Alerts as QMessageBox dialogs, with the text fields in a panel under the
// informative text.
class MessageBoxAlerts final : public Alerts {
public:
    AlertResponse runModal(const Alert& alert) override;
};
