#pragma once

#include <QColor>
#include <QMap>
#include <QStringList>
#include <QWidget>

class PreferencesService;

// The rows of the profile pill colours: per profile its pill in the current
// colour, a reset button while a colour is stored for it, and a colour well.
// Drawn as one widget that paints only the rows in view, so thousands of
// profiles cost nothing until scrolled to.
class ProfileColorList final : public QWidget {
    Q_OBJECT
public:
    explicit ProfileColorList(PreferencesService& preferences, QWidget* parent = nullptr);

    const QStringList& names() const { return m_names; }
    // Stores the colour for the profile; a colour with no sRGB form removes
    // the stored one instead.
    void pickColor(const QString& name, const QColor& color);
    // Removes the stored colour, so the pill takes the automatic one.
    void resetColor(const QString& name);

    // Row geometry, in widget coordinates.
    QRect rowRect(int row) const;
    QRect pillRect(int row) const;
    QRect resetRect(int row) const; // empty when the row has no stored colour
    QRect wellRect(int row) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void reload();
    int rowAt(const QPoint& point) const;

    PreferencesService& m_preferences;
    QStringList m_names;
};
