#pragma once

#include <QColor>
#include <QIcon>

namespace klipo::ResultIcons {

// Line icons of the result panel's buttons, drawn in `ink`.
QIcon copyImage(const QColor& ink);
QIcon saveImage(const QColor& ink);
QIcon enlarge(const QColor& ink);
QIcon copyText(const QColor& ink);
QIcon pin(const QColor& ink);

}  // namespace klipo::ResultIcons
