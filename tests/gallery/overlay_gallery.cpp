// Renders every surface of the switcher to PNG files at two pixels per point,
// on the default scenario's windows, over a plain desktop backdrop: the
// strip, the grid, the column with its rail on either side, the empty
// states, and the system, light, dark and brand themes. Not part of the
// product; the pictures in docs/images come from here.
//
//   overlay_gallery OUTPUT_DIR
#include "Overlay/Panel/OverlayView.h"
#include "support/OverlayFixture.h"

#include <QApplication>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cstdio>
#include <functional>

namespace {

constexpr double ratio = 2;
constexpr int margin = 28; // points of desktop around the panel

struct Surface {
    const char* file;
    std::function<void(OverlayFixture&)> setUp; // settings before the showing
    std::function<void(OverlayFixture&)> afterShowing = {};
    bool dark = false; // the desktop behind it
};

QImage backdrop(const QSize& points, bool dark)
{
    QImage image(points * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, points.width(), points.height());
    sky.setColorAt(0, dark ? QColor(28, 36, 52) : QColor(178, 204, 226));
    sky.setColorAt(1, dark ? QColor(52, 34, 60) : QColor(222, 206, 232));
    painter.fillRect(QRect(QPoint(0, 0), points), sky);
    QRadialGradient glow(QPointF(points.width() * 0.8, points.height() * 0.2),
                         points.width() * 0.6);
    glow.setColorAt(0, dark ? QColor(90, 110, 160, 110) : QColor(255, 255, 255, 140));
    glow.setColorAt(1, Qt::transparent);
    painter.fillRect(QRect(QPoint(0, 0), points), glow);
    return image;
}

bool renderSurface(const Surface& surface, const QString& folder)
{
    SimModel model = OverlayFixture::defaultScenario();
    model.reduceMotion = true; // the picture shows where the animations end
    OverlayFixture fixture(std::move(model));
    surface.setUp(fixture);
    fixture.showAndSettle();
    if (surface.afterShowing)
        surface.afterShowing(fixture);
    QCoreApplication::processEvents();
    OverlayView* view = fixture.controller.hostingView();
    if (!view)
        return false;
    QImage image = backdrop(view->size() + QSize(2 * margin, 2 * margin), surface.dark);
    {
        QPainter painter(&image);
        view->render(&painter, QPoint(margin, margin), {}, QWidget::DrawChildren);
    }
    const QString path = QDir(folder).filePath(QString::fromLatin1(surface.file));
    const bool saved = image.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: overlay_gallery OUTPUT_DIR\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder))
        return 1;

    using F = OverlayFixture;
    const std::vector<Surface> surfaces{
        {"strip-system.png", [](F&) {}},
        {"strip-light-ocean.png",
         [](F& f) {
             f.preferences.setAppearanceMode(AppearanceMode::light);
             f.preferences.setGlassTint(GlassTint::ocean);
         }},
        {"strip-dark-dynamic.png",
         [](F& f) {
             f.preferences.setAppearanceMode(AppearanceMode::dark);
             f.preferences.setGlassTint(GlassTint::dynamic);
         },
         {},
         true},
        {"strip-brand.png", [](F& f) { f.preferences.setAppearanceMode(AppearanceMode::tessel); }},
        {"strip-monograms.png",
         [](F& f) {
             f.preferences.setShowWindowPreviews(false);
             f.preferences.setAppearanceMode(AppearanceMode::light);
         }},
        {"grid-light.png",
         [](F& f) {
             f.preferences.setLayoutMode(LayoutMode::grid);
             f.preferences.setAppearanceMode(AppearanceMode::light);
         }},
        {"grid-brand-filtered.png",
         [](F& f) {
             f.preferences.setLayoutMode(LayoutMode::grid);
             f.preferences.setAppearanceMode(AppearanceMode::tessel);
         },
         [](F& f) { f.controller.selectFilter(1); }},
        {"column-left-rail.png",
         [](F& f) {
             f.preferences.setPanelPosition(PanelPosition::left);
             f.preferences.setCardWidth(220);
         }},
        {"column-right-rail-dark.png",
         [](F& f) {
             f.preferences.setPanelPosition(PanelPosition::right);
             f.preferences.setAppearanceMode(AppearanceMode::dark);
             f.preferences.setSurfaceStyle(SurfaceStyle::nativeHUD);
             f.preferences.setCardWidth(220);
         },
         {},
         true},
        {"search-no-match.png", [](F&) {},
         [](F& f) { f.controller.type(QStringLiteral("quarterly report")); }},
        {"search-match.png", [](F&) {}, [](F& f) { f.controller.type(QStringLiteral("example")); }},
        {"empty.png",
         [](F& f) { f.sim.host.modify([](SimModel& model) { model.instances.clear(); }); }},
    };
    bool ok = true;
    for (const Surface& surface : surfaces)
        ok = renderSurface(surface, folder) && ok;
    return ok ? 0 : 1;
}
