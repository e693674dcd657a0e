#pragma once

#include <QString>

// The result lines of the scrolling self-check: printed on standard output
// and, with "KLIPO_SCROLL_SELFTEST_DIR" set, appended to "selftest_result.txt"
// in that folder. The capture service adds its diagnostic lines while the
// check runs. Main thread.
namespace klipo::ScrollSelfTestReport {

// "KLIPO_SCROLL_SELFTEST" is in the environment (whatever its value).
bool isRunning();

void report(const QString& line);

}  // namespace klipo::ScrollSelfTestReport
