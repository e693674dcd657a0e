#pragma once

namespace klipo {

// Backup of history text and vocabulary to the user's cloud folder. Backups are
// not made yet: starting and the upload at quit do nothing for now.
class CloudSync {
public:
    static CloudSync& shared();

    // Called once at launch.
    void startAutoSync();
    // Called during quit; returns when a pending backup is written.
    void uploadOnQuit();

private:
    CloudSync() = default;
};

}  // namespace klipo
