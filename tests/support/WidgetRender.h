#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class QWidget;

// Draws a widget offscreen at a device pixel ratio, as a screen of that
// density would show it; the background stays transparent where the widget
// paints none.
QImage renderWidget(QWidget& widget, double devicePixelRatio = 2);

// Saves the image as <name>.png in the folder named by TESSEL_TEST_PNG_DIR,
// when that is set, so that a person can look at what a test drew.
void keepRender(const QImage& image, const QString& name);

// Whether two colours differ by at most the tolerance in each of red, green
// and blue, and the colour as a failure message shows it.
bool near(const QColor& a, const QColor& b, int tolerance = 3);
QString describe(const QColor& color);
