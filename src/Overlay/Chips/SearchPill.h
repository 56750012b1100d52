#pragma once

#include "Brand/ColorScheme.h"
#include "Overlay/Drawing/TextLine.h"

#include <QWidget>

// The search field at the top of the switcher: a magnifying glass and the
// typed text, or the hint "Type to search", on a capsule of thin material.
// It only shows what is typed (the keys come from the shortcut layer), so
// the pointer passes through it to whatever lies beneath.
class SearchPill : public QWidget {
    Q_OBJECT
public:
    explicit SearchPill(QWidget* parent = nullptr);

    void setState(const QString& query, bool isTesselTheme, const ColorScheme& scheme);
    // The pill's width is its content's, never more than this.
    void setMaximumPillWidth(double width);
    QSize sizeHint() const override;

    // For tests and benchmarks: the product never calls these.
    QString query() const { return m_query; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString shownText() const;
    void layOutText();

    QString m_query;
    bool m_isTesselTheme = false;
    ColorScheme m_scheme;
    double m_maximumWidth = 600;
    double m_naturalWidth = 0; // of the capsule around the whole text
    double m_naturalHeight = 0;
    TextLine m_text; // elided to the pill's width
};
