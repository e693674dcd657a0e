#pragma once

#include "platform/text/PageLayout.h"

#include <QString>

namespace klipo::bench {

// One line of a page layout as the benchmarks print it: its box, region,
// script, grounds and flags.
inline QString layoutLineText(const platform::LayoutLine& l)
{
    return QStringLiteral("%1,%2 %3x%4 region %5 script %6 bg %7 ink %8 colour %9%10%11\n")
        .arg(l.rect.x())
        .arg(l.rect.y())
        .arg(l.rect.width())
        .arg(l.rect.height())
        .arg(l.region)
        .arg(int(l.script))
        .arg(l.background)
        .arg(l.ink)
        .arg(l.backgroundColour, 8, 16, QLatin1Char('0'))
        .arg(l.stacked ? QStringLiteral(" stacked") : QString())
        .arg(l.monospaced ? QStringLiteral(" monospaced") : QString());
}

}  // namespace klipo::bench
