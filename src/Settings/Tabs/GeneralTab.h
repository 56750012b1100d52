#pragma once

#include <QWidget>

#include <functional>

class PreferencesService;

// The shortcuts, the login item, the window previews and the way into the
// permissions setup window.
class GeneralTab final : public QWidget {
    Q_OBJECT
public:
    GeneralTab(PreferencesService& preferences, std::function<void()> onShowPermissions,
               QWidget* parent = nullptr);
};
