#include "platform/media/MediaClock.h"

#include <chrono>

#include <sched.h>
#include <time.h>

namespace klipo::platform::media {

namespace {
double seconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}
}  // namespace

std::int64_t monotonicMicros()
{
    // steady_clock is CLOCK_MONOTONIC; the ticker waits on the same clock.
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

double threadCpuSeconds() { return seconds(CLOCK_THREAD_CPUTIME_ID); }

double processCpuSeconds() { return seconds(CLOCK_PROCESS_CPUTIME_ID); }

int usableCpuCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    const int count = CPU_COUNT(&set);
    return count > 0 ? count : 1;
}

}  // namespace klipo::platform::media
