#pragma once

#include <QProxyStyle>

// The application's style, except that a menu taller than the screen
// scrolls, as the host's menus do, instead of spreading into columns that
// run past the screen's edge.
class ScrollingMenuStyle final : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};
