#pragma once

#include <QString>

namespace klipo::test {

// The private root folder made for this test process (HOME, XDG folders and a
// scratch folder live below it). Removed when the process ends.
QString sandboxRoot();
// A fresh empty folder below the sandbox.
QString freshDir(const QString& name);

// True when an X11 display is reachable (tests that need one skip otherwise).
bool hasX11Display();

// The exit status of a desktop test program started outside the headless
// desktop; CTest counts it as skipped (SKIP_RETURN_CODE in cmake/Klipo.cmake).
constexpr int kSkippedOutsideDesktop = 77;

}  // namespace klipo::test
