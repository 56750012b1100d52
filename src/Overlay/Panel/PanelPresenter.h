#pragma once

#include "Overlay/Panel/OverlayPanel.h"
#include "Overlay/Panel/OverlayView.h"
#include "Overlay/Panel/PanelLayout.h"

#include <QObject>
#include <QPointer>
#include <QRectF>

#include <functional>
#include <optional>

class PreferencesService;
class Screens;
class Workspace;

// The switcher's panel on screen. The panel is made at the first showing and
// kept for the life of the program; every showing draws in a view of its own,
// the next one built and installed unseen while the panel is out of sight.
// The presenter sizes and places the panel on the target screen, fades it in
// and out (at once with reduce motion on) and remembers where the user drags
// it. Main thread only.
class PanelPresenter final : public QObject {
    Q_OBJECT
public:
    // Builds a showing's view as a child of the panel.
    using ViewFactory = std::function<OverlayView*(QWidget* panel)>;

    // What the panel's size depends on besides the settings.
    struct Content {
        int windowCount = 0;
        int filterCount = 0; // apps with windows: the chips
        bool scoped = false;
    };
    // Placed afresh, or kept under its top edge and horizontal centre as the
    // user narrows the list.
    enum class Anchor { none, topEdge };

    PanelPresenter(PreferencesService& preferences, Screens& screens, Workspace& workspace,
                   ViewFactory makeView, QObject* parent = nullptr);
    ~PanelPresenter() override;

    OverlayPanel* panel() const { return m_panel; }
    // The panel's frame in the host's bottom-left points; empty before the
    // first showing.
    QRectF frame() const;

    // A showing begins: the last one's view stops following the state.
    void retireView();
    // Makes the panel at first use, installs the showing's view, lays the
    // panel out, gives it its look and fades it in.
    void present(const Content& content);
    // Sizes and places the panel and reports laidOut. Does nothing before the
    // first showing or without a screen, so the panel keeps its frame.
    void layout(const Content& content, Anchor anchor);
    // Fades the panel out, then orders it out.
    void dismiss();
    // The card width the panel is sized for on its screen, which its cards
    // are drawn with: the setting, held to the screen.
    double cardWidth(const Content& content) const;

    // For tests and benchmarks: the product never calls these.
    OverlayView* hostingView() const { return m_hostingView; }

signals:
    void laidOut(int columns, double contentWidth);

private:
    // The settings and the content, on the screen the panel shows on; none
    // without a screen.
    std::optional<PanelLayoutInput> layoutInput(const Content& content) const;
    void makePanel();
    void orderOut();
    void prepareNextView();
    void panelMoved();

    PreferencesService& m_preferences;
    Screens& m_screens;
    Workspace& m_workspace;
    ViewFactory m_makeView;

    QPointer<OverlayPanel> m_panel;
    QPointer<OverlayView> m_hostingView;
    QPointer<OverlayView> m_nextView; // the next showing's, installed but never shown yet
    bool m_presented = false;         // from present() until dismiss()
    bool m_isProgrammaticMove = false;
};
