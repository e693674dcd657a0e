#pragma once

#include <QColor>
#include <QPalette>

// Colours of the HUD look. The HUD material itself is dark in both
// appearances; separators, labels and button fills follow the appearance that
// the widget's palette shows (light or dark), and are read again whenever the
// palette changes.
namespace klipo::HUDColors {

// True when the palette's window colour is dark.
bool isDark(const QPalette& palette);

QColor separator(const QPalette& palette);        // hairlines
QColor label(const QPalette& palette);            // primary text
QColor quaternaryLabel(const QPalette& palette);  // faint fills (hover)

// The dark, slightly translucent fill of HUD backgrounds.
QColor material(bool behindWindow);

// `color` with its alpha replaced.
QColor withAlpha(QColor color, double alpha);

}  // namespace klipo::HUDColors
