#pragma once

#include <cstdint>

namespace klipo::platform::media {

// The one clock of a recording: microseconds on the monotonic clock. Video
// ticks and microphone chunks are both stamped with it, so the two streams
// line up whatever the wall clock does.
std::int64_t monotonicMicros();

// CPU time the calling thread has used so far, in seconds.
double threadCpuSeconds();

// CPU time the whole process has used so far, in seconds.
double processCpuSeconds();

// The number of CPUs this process may run on (its affinity mask), at least 1.
int usableCpuCount();

}  // namespace klipo::platform::media
