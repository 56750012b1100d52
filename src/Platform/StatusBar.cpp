#include "Platform/StatusBar.h"

#include <QPainter>

QImage templateImageInColor(const QImage& image, const QColor& color)
{
    QImage tinted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&tinted);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(tinted.rect(), color);
    return tinted;
}
