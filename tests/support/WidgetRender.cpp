#include "support/WidgetRender.h"

#include <QDir>
#include <QWidget>

QImage renderWidget(QWidget& widget, double devicePixelRatio)
{
    QImage image(widget.size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

void keepRender(const QImage& image, const QString& name)
{
    const QString folder = qEnvironmentVariable("TESSEL_TEST_PNG_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
