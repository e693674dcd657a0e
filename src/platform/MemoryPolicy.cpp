#include "platform/MemoryPolicy.h"

#include <malloc.h>

namespace klipo::platform {

void applyMemoryPolicy()
{
    // glibc raises this threshold each time a mapped block is freed, up to
    // 32 MB, after which whole screenshots land in the heap and keep it large.
    constexpr int kMappedFrom = 256 * 1024;
    ::mallopt(M_MMAP_THRESHOLD, kMappedFrom);
}

}  // namespace klipo::platform
