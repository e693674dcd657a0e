#pragma once

#include <QByteArray>

#include <optional>

// The scrolling self-check (ScrollSelfTest::runIfNeeded, declared with the
// other checks): its pieces that tests reach.
namespace klipo::ScrollSelfTest {

// "KLIPO_SCROLL_SELFTEST": one number for the whole value, as the C library
// reads it in the C locale, no blanks around it; none otherwise.
std::optional<double> parseSeconds(const QByteArray& value);
// "KLIPO_SCROLL_SELFTEST_SCREEN": an optional sign and digits; 0 otherwise.
int parseScreenIndex(const QByteArray& value);
// The seconds as milliseconds to wait; none for a wait that cannot be made
// (not a number, infinite, negative, or beyond what a timer can wait).
std::optional<int> waitMilliseconds(double seconds);

}  // namespace klipo::ScrollSelfTest
