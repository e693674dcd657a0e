#include "platform/MemoryPolicy.h"

#include <QImageReader>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace klipo::platform {

int imageAllocationLimitMB()
{
    constexpr long long kAtLeastMB = 256;
    const long long pages = ::sysconf(_SC_PHYS_PAGES);
    const long long pageBytes = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageBytes <= 0) return int(kAtLeastMB);
    const long long quarterMB = pages / 4 * pageBytes / (1024 * 1024);
    return int(std::clamp<long long>(quarterMB, kAtLeastMB, INT_MAX));
}

void applyMemoryPolicy()
{
    // glibc raises this threshold each time a mapped block is freed, up to
    // 32 MB, after which whole screenshots land in the heap and keep it large.
    constexpr int kMappedFrom = 256 * 1024;
    ::mallopt(M_MMAP_THRESHOLD, kMappedFrom);
    QImageReader::setAllocationLimit(imageAllocationLimitMB());
}

}  // namespace klipo::platform
