#pragma once

namespace klipo::platform {

// How the process takes memory from the system: buffers of a screenshot's
// size are mapped on their own, so that they go back to the system as soon as
// they are freed instead of staying in the heap between other allocations;
// and images as large as this machine can hold are opened (Qt's own cap of
// 128 MB refuses a 6000 by 6000 picture). Call once, first thing in main().
void applyMemoryPolicy();

// The most memory, in megabytes, that one image read from a file or the
// clipboard may take: a quarter of this machine's memory, at least 256 MB.
// Larger ones are refused (a small file can claim any size).
int imageAllocationLimitMB();

}  // namespace klipo::platform
