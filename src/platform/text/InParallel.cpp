#include "platform/text/InParallel.h"

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

namespace klipo::platform {

void inParallel(size_t n, size_t least, const std::function<void(size_t, size_t)>& work)
{
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t pieces = std::clamp(n / std::max<size_t>(1, least), size_t(1), cores);
    if (pieces <= 1) {
        if (n > 0) work(0, n);
        return;
    }
    const auto start = [n, pieces](size_t i) { return n * i / pieces; };
    std::vector<std::future<void>> others;
    others.reserve(pieces - 1);
    for (size_t i = 1; i < pieces; ++i)
        others.push_back(std::async(std::launch::async | std::launch::deferred,
                                    [&work, from = start(i), to = start(i + 1)] { work(from, to); }));
    work(0, start(1));
    for (std::future<void>& f : others) f.get();
}

}  // namespace klipo::platform
