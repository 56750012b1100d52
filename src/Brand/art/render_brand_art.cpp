// Renders the brand artwork's SVG sources to the PNG resources the program
// loads. Run by scripts/render-brand-art.sh after changing an SVG here.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

static bool render(const QString& source, const QString& target, int pixels)
{
    QSvgRenderer renderer(source);
    if (!renderer.isValid())
        return false;
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    painter.end();
    return image.save(target);
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_brand_art ART_DIR RESOURCE_DIR\n");
        return 2;
    }
    const QString art = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const bool ok = render(art + "/MarkOnly.svg", out + "/MarkOnly.png", 256) &&
                    render(art + "/MenuBarIcon.svg", out + "/MenuBarIcon.png", 18) &&
                    render(art + "/MenuBarIcon.svg", out + "/MenuBarIcon@2x.png", 36);
    return ok ? 0 : 1;
}
