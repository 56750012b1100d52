#pragma once

#include <QColor>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QWidget>

#include <array>

class ColorWell;
class FocusRingButton;
class PreferencesService;

// The rows of the profile pill colours: per profile its pill in the current
// colour, a reset button while a colour is stored for it, and a colour well.
// The pills are painted, only the rows in view; each row's reset button and
// well are controls of their own, which Tab reaches in row order. A row gets
// its reset button only once a colour is stored for it.
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
    QRect wellRect(int row) const;

    QSize sizeHint() const override;

    // For tests and benchmarks: the product never calls these.
    // A row's controls. The reset button is hidden while no colour is stored,
    // and none until one first is.
    FocusRingButton* resetButton(int row) const { return m_controls.at(row).reset; }
    ColorWell* well(int row) const { return m_controls.at(row).well; }
    // In widget coordinates; empty when the row has no stored colour.
    QRect resetRect(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Controls {
        FocusRingButton* reset; // none until a colour is stored
        ColorWell* well;
        // As the row shows them, which is the order Tab reaches them in.
        std::array<QWidget*, 2> inOrder() const;
    };

    void reload();
    void rebuildControls(const QStringList& oldNames, const QMap<QString, QString>& colors);
    ColorWell* makeWell(const QString& name);
    FocusRingButton* makeResetButton(const QString& name);
    void orderForKeyboard();
    void placeControls();
    QRect resetArea(int row) const;

    PreferencesService& m_preferences;
    QStringList m_names;
    QList<Controls> m_controls; // one per name, in the same order
};
