#pragma once

namespace klipo::platform {

// How the process takes memory from the system: buffers of a screenshot's
// size are mapped on their own, so that they go back to the system as soon as
// they are freed instead of staying in the heap between other allocations.
// Call once, first thing in main().
void applyMemoryPolicy();

}  // namespace klipo::platform
