#include "platform/FreedMemory.h"

#include <malloc.h>

namespace klipo::platform {

void returnFreedMemory() { ::malloc_trim(0); }

}  // namespace klipo::platform
