#pragma once

#include "ScreenFixtures.h"

namespace klipo::test {

// A screen composed from random parts, the same for the same seed: one
// program filling the picture, or a desktop of windows of different programs
// (browser pages with articles in columns, sidebars, forums and shops; file
// managers, code editors, terminals, chats, settings with open menus, mail,
// tables) at random places, overlapping or not, on a wallpaper; light and
// dark; several fonts, sizes and colours, faint and coloured text, badges,
// icons and pictures; in one of the six languages, at 1x or 2x. Text that
// another window hides is not expected; text partly hidden is not scored.
// Needs a QApplication (fonts).
Screen generateScreen(quint32 seed);

// Registers the faces screens are drawn with (from their installed files),
// as the first screen drawn does. Once they are registered, generic families
// ("sans-serif") may be set in them too: a program that draws other text
// calls this before drawing any, so that it draws alike whichever it draws first.
void useCorpusFaces();

// What tells two drawings of a screen apart: its pixels, its reference lines
// (text, box, window and part) and what is left unscored, hashed.
QByteArray screenFingerprint(const Screen& screen);

// The seeds of the screens tuned on, and of those kept out of sight.
constexpr quint32 kTuningSeeds = 200;
constexpr quint32 kHeldOutFirstSeed = 100001;
constexpr quint32 kHeldOutSeeds = 100;
// Seeds drawn only to look for faults on screens no rule was tuned on yet;
// they join the tuning set once looked at.
constexpr quint32 kFreshFirstSeed = 200001;
constexpr quint32 kFreshSeeds = 4000;

}  // namespace klipo::test
