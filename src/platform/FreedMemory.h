#pragma once

namespace klipo::platform {

// Gives memory the program freed back to the system (after a large piece of
// work: a recogniser let go, a big file read), so that the process does not
// keep its peak.
void returnFreedMemory();

}  // namespace klipo::platform
