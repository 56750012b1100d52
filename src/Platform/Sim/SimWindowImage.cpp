#include "SimWindowImage.h"

#include "Platform/Sim/SimModel.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>

QColor SimWindowImage::color(const SimWindow& window)
{
    if (window.color.isValid())
        return window.color;
    // FNV-1a over the UTF-16 units: the same title gives the same colour in
    // every process and every Qt version, unlike qHash.
    quint32 hash = 2166136261u;
    for (const QChar ch : window.title) {
        hash ^= ch.unicode();
        hash *= 16777619u;
    }
    return QColor::fromHsv(int(hash % 360), 150, 210);
}

QImage SimWindowImage::render(const SimWindow& window, const QSize& pixelSize)
{
    if (pixelSize.isEmpty())
        return {};
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);

    QRect content = image.rect();
    const QSizeF frameSize = window.frame.size();
    if (frameSize.width() > 0 && frameSize.height() > 0) {
        const QSizeF fitted = frameSize.scaled(QSizeF(pixelSize), Qt::KeepAspectRatio);
        // Rounding of the configured size leaves up to a pixel of difference;
        // that is the same aspect ratio, not a band.
        if (pixelSize.width() - fitted.width() >= 1 || pixelSize.height() - fitted.height() >= 1) {
            QRectF rect(QPointF(), fitted);
            rect.moveCenter(QRectF(image.rect()).center());
            content = rect.toAlignedRect() & image.rect();
        }
    }

    const QColor fill = color(window);
    QPainter painter(&image);
    painter.fillRect(content, fill);

    // Text needs the font database of a GUI application; without one the
    // window is its colour alone.
    if (!window.title.isEmpty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QFont font;
        font.setPixelSize(std::max(6, content.height() / 8));
        painter.setFont(font);
        painter.setPen(fill.lightnessF() > 0.6 ? Qt::black : Qt::white);
        const QString text = painter.fontMetrics().elidedText(window.title, Qt::ElideRight,
                                                              content.width() * 9 / 10);
        painter.drawText(content, Qt::AlignCenter, text);
    }
    return image;
}
