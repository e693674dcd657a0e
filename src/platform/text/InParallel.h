#pragma once

#include <cstddef>
#include <functional>

namespace klipo::platform {

// Runs `work(from, to)` over pieces of [0, n), each at least `least` long,
// on the cores there are: the caller's thread and helpers of the shared
// thread pool take pieces in turn until none is left. The caller waits only
// for the pieces taken, never for a helper that has not started (a busy
// machine), so that it is never slower than doing all of it alone. The
// pieces must not depend on each other.
void inParallel(size_t n, size_t least, const std::function<void(size_t, size_t)>& work);

}  // namespace klipo::platform
