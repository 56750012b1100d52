#pragma once

#include "Models/SettingEnums.h"
#include "Models/SettingTable.h"
#include "Services/PreferencesService.h"
#include "Settings/Controls/SegmentedControl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

// Controls bound straight to one setting of the live store: a user's change
// is written at once, and every change of the setting, wherever it was made,
// shows in the control. The controls keep no copy of the value.
namespace PreferenceControls {

template <typename E> using Choices = QList<std::pair<E, QString>>;

template <typename T> using Getter = T (PreferencesService::*)() const;

// Runs sync now and after every announcement of the setting, with the
// control's own signals held so that showing a value never writes it.
template <typename Signal, typename Sync>
void follow(PreferencesService& preferences, Signal changed, QObject* control, Sync sync)
{
    sync();
    QObject::connect(&preferences, changed, control, [control, sync] {
        const QSignalBlocker blocker(control);
        sync();
    });
}

template <typename Setter, typename Signal>
QCheckBox* checkBox(const QString& text, PreferencesService& preferences, Getter<bool> get,
                    Setter set, Signal changed)
{
    auto* box = new QCheckBox(text);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    follow(preferences, changed, box,
           [box, &preferences, get] { box->setChecked((preferences.*get)()); });
    QObject::connect(box, &QCheckBox::clicked, &preferences,
                     [&preferences, set](bool on) { (preferences.*set)(on); });
    return box;
}

// Radio buttons stacked vertically, one per choice.
template <SettingEnumeration E, typename Setter, typename Signal>
QWidget* radioPicker(const Choices<E>& choices, PreferencesService& preferences, Getter<E> get,
                     Setter set, Signal changed)
{
    auto* picker = new QWidget;
    picker->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(picker);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* group = new QButtonGroup(picker);
    for (const auto& [value, label] : choices) {
        auto* button = new QRadioButton(label);
        group->addButton(button, int(value));
        layout->addWidget(button);
    }
    follow(preferences, changed, group, [group, &preferences, get] {
        if (QAbstractButton* button = group->button(int((preferences.*get)())))
            button->setChecked(true);
    });
    QObject::connect(group, &QButtonGroup::idClicked, &preferences,
                     [&preferences, set](int id) { (preferences.*set)(E(id)); });
    return picker;
}

// A pop-up menu of the choices.
template <SettingEnumeration E, typename Setter, typename Signal>
QComboBox* popUpPicker(const Choices<E>& choices, PreferencesService& preferences, Getter<E> get,
                       Setter set, Signal changed)
{
    auto* combo = new QComboBox;
    for (const auto& [value, label] : choices)
        combo->addItem(label, int(value));
    follow(preferences, changed, combo, [combo, &preferences, get] {
        combo->setCurrentIndex(combo->findData(int((preferences.*get)())));
    });
    QObject::connect(combo, &QComboBox::activated, &preferences, [combo, &preferences, set](int i) {
        (preferences.*set)(E(combo->itemData(i).toInt()));
    });
    return combo;
}

// One row of segments, one per choice in order.
template <SettingEnumeration E, typename Setter, typename Signal>
SegmentedControl* segmentedPicker(const Choices<E>& choices, PreferencesService& preferences,
                                  Getter<E> get, Setter set, Signal changed)
{
    QStringList labels;
    for (const auto& choice : choices)
        labels << choice.second;
    auto* control = new SegmentedControl(labels);
    follow(preferences, changed, control, [control, choices, &preferences, get] {
        const E current = (preferences.*get)();
        for (int i = 0; i < choices.size(); ++i) {
            if (choices.at(i).first == current)
                control->setCurrentIndex(i);
        }
    });
    QObject::connect(
        control, &SegmentedControl::activated, &preferences,
        [choices, &preferences, set](int i) { (preferences.*set)(choices.at(i).first); });
    return control;
}

// A horizontal slider over the setting's range in its steps, or in a
// thousand steps for a continuous one. Moving it writes each step's value; a
// stored value between steps is shown at the step below it and stays as
// stored until the slider moves.
template <typename Setter, typename Signal>
QSlider* slider(PreferencesService& preferences, Getter<double> get, Setter set, Signal changed,
                const NumberSetting& setting)
{
    const double minimum = setting.minimum;
    const double maximum = setting.maximum;
    const int steps =
        setting.step > 0 ? int(std::lround((maximum - minimum) / setting.step)) : 1000;
    auto* control = new QSlider(Qt::Horizontal);
    control->setRange(0, steps);
    control->setPageStep(std::max(1, steps / 10));
    follow(preferences, changed, control, [=, &preferences] {
        const double position = ((preferences.*get)() - minimum) / (maximum - minimum) * steps;
        // Rounded down, so that a step away from a value between steps lands
        // on the next whole step in that direction (16.5 then 17, not 18).
        control->setValue(std::isfinite(position)
                              ? int(std::floor(std::clamp(position, 0.0, double(steps)) + 1e-6))
                              : 0);
    });
    QObject::connect(control, &QSlider::valueChanged, &preferences, [=, &preferences](int step) {
        (preferences.*set)(minimum + (maximum - minimum) * step / steps);
    });
    return control;
}

} // namespace PreferenceControls
