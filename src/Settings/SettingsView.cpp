#include "Settings/SettingsView.h"

#include "Brand/BrandStyle.h"
#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Settings/Controls/TabButton.h"
#include "Settings/Preview/LivePreview.h"
#include "Settings/Tabs/AppearanceTab.h"
#include "Settings/Tabs/AppsTab.h"
#include "Settings/Tabs/GeneralTab.h"
#include "Settings/Tabs/LayoutTab.h"

#include <QAbstractSlider>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWindow>

namespace {

std::optional<QString> environmentTab()
{
    if (!qEnvironmentVariableIsSet("TESSEL_SETTINGS_TAB"))
        return std::nullopt;
    return qEnvironmentVariable("TESSEL_SETTINGS_TAB");
}

std::size_t slot(SettingsTab tab)
{
    return std::size_t(tab);
}

} // namespace

SettingsView::SettingsView(PreferencesService& preferences, std::function<void()> onShowPermissions,
                           OverlayEnvironment environment, QWidget* parent)
    : QWidget(parent), m_preferences(preferences),
      m_onShowPermissions(std::move(onShowPermissions)), m_environment(environment),
      m_style(new BrandStyle), m_tab(SettingsTabs::initial(environmentTab())),
      m_body(new QScrollArea)
{
    m_style->setParent(this);
    setPalette(BrandStyle::palette());
    setAutoFillBackground(true);
    // Pop-ups (the menus of the pickers, tool tips) take the light palette too.
    setAttribute(Qt::WA_WindowPropagation);
    setFont(Typography::font(TextStyle::body));
    setFixedWidth(viewWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addSpacing(24);
    layout->addWidget(new Wordmark(128), 0, Qt::AlignHCenter);
    layout->addSpacing(16);

    auto* tabBar = new QHBoxLayout;
    tabBar->setSpacing(6);
    tabBar->addStretch(1);
    for (SettingsTab tab : SettingsTabs::all) {
        auto* button = new TabButton(SettingsTabs::label(tab));
        button->setChecked(tab == m_tab);
        connect(button, &TabButton::clicked, this, [this, tab] { setTab(tab); });
        tabBar->addWidget(button);
        m_tabButtons[slot(tab)] = button;
    }
    tabBar->addStretch(1);
    layout->addLayout(tabBar);
    layout->addSpacing(14);

    auto* rule = new QWidget;
    rule->setFixedHeight(1);
    rule->setAutoFillBackground(true);
    QPalette rulePalette = rule->palette();
    rulePalette.setColor(QPalette::Window, TesselBrand::hairline());
    rule->setPalette(rulePalette);
    layout->addWidget(rule);

    m_body->setFixedHeight(bodyHeight);
    m_body->setFrameShape(QFrame::NoFrame);
    m_body->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_body->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_body->setWidgetResizable(true);
    m_body->viewport()->setAutoFillBackground(false);
    layout->addWidget(m_body);

    m_style->applyTo(this);
    m_body->setWidget(tabWidget(m_tab));
}

// The child widgets use the view's style, which is deleted with the view's
// other children: take the widgets down first.
SettingsView::~SettingsView()
{
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

void SettingsView::setTab(SettingsTab tab)
{
    m_tabButtons[slot(tab)]->setChecked(true);
    if (tab == m_tab)
        return;
    m_tab = tab;
    // The scroll area owns only the tab it shows; the others wait hidden.
    QWidget* shown = m_body->takeWidget();
    if (shown) {
        shown->hide();
        shown->setParent(this);
    }
    m_body->setWidget(tabWidget(tab));
}

TabButton* SettingsView::tabButton(SettingsTab tab) const
{
    return m_tabButtons[slot(tab)];
}

void SettingsView::setPreviewHover(int index)
{
    if (index == m_previewHover)
        return;
    m_previewHover = index;
    emit previewHoverChanged(index);
}

LivePreview* SettingsView::makePreview()
{
    auto* preview =
        new LivePreview(m_preferences, m_environment.icons, m_environment.screens, m_previewHover);
    connect(preview, &LivePreview::hovered, this, &SettingsView::setPreviewHover);
    connect(this, &SettingsView::previewHoverChanged, preview, &LivePreview::setHover);
    return preview;
}

// Tabs are built the first time they are shown, so opening the window costs
// one tab.
QWidget* SettingsView::tabWidget(SettingsTab tab)
{
    QWidget*& widget = m_tabs[slot(tab)];
    if (widget)
        return widget;
    switch (tab) {
    case SettingsTab::general:
        widget = new GeneralTab(m_preferences, m_onShowPermissions);
        break;
    case SettingsTab::apps:
        widget = new AppsTab(m_preferences, m_environment.workspace);
        break;
    case SettingsTab::appearance:
        m_appearancePreview = makePreview();
        widget = new AppearanceTab(m_preferences, m_appearancePreview);
        break;
    case SettingsTab::layout:
        m_layoutPreview = makePreview();
        widget = new LayoutTab(m_preferences, m_environment.screens, m_layoutPreview);
        break;
    }
    widget->setAutoFillBackground(false);
    m_style->applyTo(widget);
    for (QWidget* control : widget->findChildren<QWidget*>()) {
        if (qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractSlider*>(control))
            control->installEventFilter(this);
    }
    return widget;
}

AppsTab* SettingsView::appsTab() const
{
    return static_cast<AppsTab*>(m_tabs[slot(SettingsTab::apps)]);
}

AppearanceTab* SettingsView::appearanceTab() const
{
    return static_cast<AppearanceTab*>(m_tabs[slot(SettingsTab::appearance)]);
}

LayoutTab* SettingsView::layoutTab() const
{
    return static_cast<LayoutTab*>(m_tabs[slot(SettingsTab::layout)]);
}

// The window moves when dragged by any part of its background.
void SettingsView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (QWindow* handle = window()->windowHandle())
            handle->startSystemMove();
    }
    QWidget::mousePressEvent(event);
}

// A wheel turned over a pop-up or a slider scrolls the body, as it does over
// the rest of the tab: a setting changes only when its control is used, never
// because it passed under the pointer while the user scrolled.
bool SettingsView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
