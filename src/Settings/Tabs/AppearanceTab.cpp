#include "Settings/Tabs/AppearanceTab.h"

#include "Settings/Controls/PreferenceControls.h"
#include "Settings/Controls/ReadoutLabel.h"
#include "Settings/Tabs/ProfileColorList.h"
#include "Settings/Tabs/SettingsSections.h"
#include "Settings/Tabs/SettingsTexts.h"

#include <QSlider>
#include <QVBoxLayout>

using namespace SettingsSections;
using PS = PreferencesService;

namespace {

// A readout row that follows one setting through the given text.
template <typename Signal, typename Text>
QWidget* followedReadout(const QString& title, PreferencesService& preferences,
                         PreferenceControls::Getter<double> get, Signal changed, Text text)
{
    auto* readout = new ReadoutLabel;
    PreferenceControls::follow(preferences, changed, readout, [readout, &preferences, get, text] {
        readout->setText(text((preferences.*get)()));
    });
    return readoutRow(title, readout);
}

QWidget* stack(const QList<QWidget*>& children)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(9);
    for (QWidget* child : children)
        layout->addWidget(child);
    return box;
}

} // namespace

AppearanceTab::AppearanceTab(PreferencesService& preferences, QWidget* livePreview, QWidget* parent)
    : QWidget(parent), m_preferences(preferences)
{
    QVBoxLayout* body = tabBody(this);
    body->addWidget(livePreview);

    // Only the control titles and the readouts are translated here; the
    // options, the section titles and the help paragraphs show as written.
    const PreferenceControls::Choices<AppearanceMode> themes{
        {AppearanceMode::system, QStringLiteral("System")},
        {AppearanceMode::light, QStringLiteral("Light")},
        {AppearanceMode::dark, QStringLiteral("Dark")},
        {AppearanceMode::tessel, QStringLiteral("Tessel")},
    };
    body->addWidget(section(
        QStringLiteral("Theme"),
        {PreferenceControls::segmentedPicker(themes, preferences, &PS::appearanceMode,
                                             &PS::setAppearanceMode, &PS::appearanceModeChanged),
         caption(QStringLiteral("Tessel is the branded cream theme. Glass tint applies to the "
                                "other themes only."))}));

    body->addWidget(section(
        QStringLiteral("Cards"),
        {followedReadout(tr("Card size"), preferences, &PS::cardWidth, &PS::cardWidthChanged,
                         &SettingsTexts::pointReadout),
         PreferenceControls::slider(preferences, &PS::cardWidth, &PS::setCardWidth,
                                    &PS::cardWidthChanged, Setting::cardWidth),
         PreferenceControls::checkBox(tr("Show Safari profile badges"), preferences,
                                      &PS::showProfileBadge, &PS::setShowProfileBadge,
                                      &PS::showProfileBadgeChanged),
         caption(QStringLiteral(
             "Reads the profile name Safari puts in window titles (e.g. “Personal — …”)."))}));

    m_profileSection = buildProfileSection();
    showProfileSection();
    body->addWidget(m_profileSection);

    const PreferenceControls::Choices<SurfaceStyle> surfaces{
        {SurfaceStyle::frosted, QStringLiteral("Frosted glass")},
        {SurfaceStyle::nativeHUD, QStringLiteral("Native HUD (like ⌘Tab)")},
        {SurfaceStyle::solid, QStringLiteral("Solid")},
    };
    m_surface = PreferenceControls::popUpPicker(surfaces, preferences, &PS::surfaceStyle,
                                                &PS::setSurfaceStyle, &PS::surfaceStyleChanged);
    body->addWidget(section(
        QStringLiteral("Surface"),
        {leadingFrame(m_surface, 260),
         caption(QStringLiteral("Frosted is a light glass; Native HUD is the dark look from ⌘Tab; "
                                "Solid turns off the blur for a calmer, lighter-weight panel. (The "
                                "Tessel cream theme uses its own surface.)"))}));

    const PreferenceControls::Choices<GlassTint> tints{
        {GlassTint::none, QStringLiteral("None")},
        {GlassTint::dynamic, QStringLiteral("Dynamic (match selected window)")},
        {GlassTint::tesselGreen, QStringLiteral("Tessel Green")},
        {GlassTint::ocean, QStringLiteral("Ocean")},
        {GlassTint::violet, QStringLiteral("Violet")},
        {GlassTint::graphite, QStringLiteral("Graphite")},
    };
    m_tint = PreferenceControls::popUpPicker(tints, preferences, &PS::glassTint, &PS::setGlassTint,
                                             &PS::glassTintChanged);
    m_tintStrength = PreferenceControls::slider(preferences, &PS::tintOpacity, &PS::setTintOpacity,
                                                &PS::tintOpacityChanged, Setting::tintOpacity);
    body->addWidget(
        section(QStringLiteral("Glass Tint"),
                {leadingFrame(m_tint, 260),
                 followedReadout(tr("Tint strength"), preferences, &PS::tintOpacity,
                                 &PS::tintOpacityChanged, &SettingsTexts::percentReadout),
                 m_tintStrength}));

    enableByTheme();
    connect(&preferences, &PS::appearanceModeChanged, this, &AppearanceTab::enableByTheme);
    connect(&preferences, &PS::glassTintChanged, this, &AppearanceTab::enableByTheme);
}

QWidget* AppearanceTab::buildProfileSection()
{
    m_profiles = new ProfileColorList(m_preferences);
    m_profileRows = stack(
        {m_profiles, caption(QStringLiteral("Pick a color for each Safari profile's pill. These "
                                            "aren't read from Safari — set them to match your "
                                            "profiles however you like."))});
    m_noProfiles = caption(QStringLiteral(
        "Open the switcher once and your Safari profiles will appear here to recolor. Until "
        "then, each pill uses an automatic color derived from the profile name."));
    QWidget* profileSection =
        section(QStringLiteral("Profile pill colors"), {m_profileRows, m_noProfiles});

    connect(&m_preferences, &PS::knownProfilesChanged, this, &AppearanceTab::showProfileSection);
    connect(&m_preferences, &PS::profileColorsChanged, this, &AppearanceTab::showProfileSection);
    connect(&m_preferences, &PS::showProfileBadgeChanged, this, &AppearanceTab::showProfileSection);
    return profileSection;
}

// The section exists only while badges are on; it holds either the rows or
// the paragraph that says how profiles appear.
void AppearanceTab::showProfileSection()
{
    const bool anyProfile = !m_profiles->names().isEmpty();
    m_profileRows->setVisible(anyProfile);
    m_noProfiles->setVisible(!anyProfile);
    m_profileSection->setVisible(m_preferences.showProfileBadge());
}

// The brand theme has its own surface and no tint; no tint leaves nothing
// for the strength to act on. Disabled controls keep showing their values.
void AppearanceTab::enableByTheme()
{
    const bool themed = m_preferences.appearanceMode() == AppearanceMode::tessel;
    m_surface->setEnabled(!themed);
    m_tint->setEnabled(!themed);
    m_tintStrength->setEnabled(!themed && m_preferences.glassTint() != GlassTint::none);
}
