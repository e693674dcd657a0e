#pragma once

#include <cstddef>
#include <functional>

namespace klipo::platform {

// Runs `work(from, to)` over pieces of [0, n) at once on the cores there
// are, the caller's thread taking the first; pieces are at least `least`
// long. The pieces must not depend on each other. Where no thread can be
// started, the caller's thread runs them all in turn.
void inParallel(size_t n, size_t least, const std::function<void(size_t, size_t)>& work);

}  // namespace klipo::platform
