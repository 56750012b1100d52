#pragma once

#include <QWidget>

// A short value readout ("260 pt", "40%") whose digits all take the width of
// the widest digit, so the text does not shift while a slider moves. Drawn
// right-aligned in the caption style.
class ReadoutLabel final : public QWidget {
    Q_OBJECT
public:
    explicit ReadoutLabel(QWidget* parent = nullptr);

    void setText(const QString& text);

    QSize sizeHint() const override;

    // For tests and benchmarks: the product never calls these.
    QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double textWidth() const;

    QString m_text;
    double m_digitWidth = 0;
};
