#pragma once

#include <QLabel>
#include <QList>
#include <QString>

class QVBoxLayout;
class QWidget;
class ReadoutLabel;

// The building blocks every settings tab is made of.
namespace SettingsSections {

// A titled group: the title in small spaced capitals above its content,
// 9 points between the children. A child of fixed width sits at the leading
// edge; the others span the section.
QWidget* section(const QString& title, const QList<QWidget*>& content);
// A help paragraph that wraps onto as many lines as it needs. Help paragraphs
// show as written, untranslated.
QLabel* caption(const QString& text);
// A title on the left and a value readout on the right.
QWidget* readoutRow(const QString& title, ReadoutLabel* readout);
// A plain text in the ink colour at the given opacity.
QLabel* label(const QString& text, double opacity = 1.0);
// The small spaced capitals of section titles and the preview's header.
QLabel* smallCaps(const QString& upperCaseText);
// The vertical stack of a tab body: leading-aligned, 22 points between the
// sections.
QVBoxLayout* tabBody(QWidget* tab);
// A widget of the given width holding one control at its leading edge.
QWidget* leadingFrame(QWidget* control, int width);

} // namespace SettingsSections
