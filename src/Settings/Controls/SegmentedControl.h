#pragma once

#include <QStringList>
#include <QWidget>

// One row of equal segments, exactly one of them chosen (filled with the
// accent). Clicking a segment chooses it and reports its index.
class SegmentedControl final : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(const QStringList& labels, QWidget* parent = nullptr);

    // Shows the choice without reporting it.
    void setCurrentIndex(int index);
    QRect segmentRect(int index) const;

    QSize sizeHint() const override;

signals:
    // Only for a choice made by the user.
    void activated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void choose(int index);

    QStringList m_labels;
    int m_current = 0;
};
