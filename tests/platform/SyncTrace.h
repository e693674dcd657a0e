#pragma once

#include <QStringList>

namespace klipo::test {

// The file system's syncs and renames as this test program makes them:
// fsync, fdatasync and rename are wrapped (SyncTrace.cpp) and, while a trace
// lives, noted in order as "sync PATH" and "rename FROM TO", the descriptor
// named by the file or folder it has open. One trace at a time.
class SyncTrace {
public:
    SyncTrace();
    ~SyncTrace();
    SyncTrace(const SyncTrace&) = delete;
    SyncTrace& operator=(const SyncTrace&) = delete;

    QStringList calls() const;
    // From now on every sync fails with this errno (after it was noted).
    void failSyncsWith(int error);
};

}  // namespace klipo::test
