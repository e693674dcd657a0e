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

}  // namespace klipo::test
