#pragma once

namespace klipo {

// Diagnostic runs chosen by environment variables. Each returns at once when
// its variable is not set; otherwise it prints one result line and ends the
// process.
namespace UISnapshotSelfTest {
void runIfNeeded();
}
namespace ScrollSelfTest {
void runIfNeeded();
}

}  // namespace klipo
