#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <optional>

// The brand palette, the brand mark and the wordmark: the look of the brand
// theme and of every window of the program.
namespace TesselBrand {

QColor cream();     // background of the brand-styled surfaces
QColor ink();       // text and symbols on them
QColor hoverFill(); // selected cards, active chips, hovered rows, selected tab
QColor hairline();  // one-point dividers
QColor forest();    // the accent; the same colour as the green glass tint
// The window background twin of cream() for the setup and settings windows.
QColor creamWindowBackground();

// The colour at an opacity from 0 to 1, whatever opacity it had: every
// translucent text, fill and stroke is made from a solid colour this way.
QColor withOpacity(QColor color, double opacity);

// The resource the mark is read from.
inline const QString markResource = QStringLiteral(":/brand/MarkOnly.png");
// Read afresh at every call; none when the resource is missing or unreadable.
std::optional<QImage> mark();

// The wordmark's lengths for a given width, in points.
struct WordmarkMetrics {
    double fontSize; // of the word
    double markSide;
    double gap; // between the word and the mark
};
WordmarkMetrics wordmarkMetrics(double width);

} // namespace TesselBrand

// The brand word "tessel" followed by the mark, vertically centred. Without a
// usable mark it is the word alone, with no gap after it.
class Wordmark final : public QWidget {
public:
    explicit Wordmark(double width, QWidget* parent = nullptr);
    Wordmark(double width, std::optional<QImage> mark, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // For tests and benchmarks: the product never calls these.
    bool hasMark() const { return m_mark.has_value(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TesselBrand::WordmarkMetrics m_metrics;
    std::optional<QImage> m_mark;
};
