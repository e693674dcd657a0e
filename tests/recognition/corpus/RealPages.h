#pragma once

#include "ScreenFixtures.h"

namespace klipo::test {

// Screenshots of real programs (a browser, a terminal, a Tk window) showing
// text written for them, each with its lines in reading order: a PNG and a
// TSV beside it. The TSV's head says the language, the scale and the set
// ("tuning" or "heldout"); each row is either
//   line <tab> window <tab> part <tab> unit <tab> x <tab> y <tab> w <tab> h <tab> text
//   ignore <tab> x <tab> y <tab> w <tab> h
struct RealPage {
    Screen screen;
    QString set;
};

// The names of the pages in `folder`, sorted.
QStringList realPageNames(const QString& folder);
// An empty image when the page cannot be read.
RealPage loadRealPage(const QString& folder, const QString& name);

}  // namespace klipo::test
