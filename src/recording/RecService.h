#pragma once

#include <functional>

namespace klipo {

// Screen recording.
class RecService {
public:
    enum class RecState { idle, picking, options, starting, recording, stopping };

    static RecService& shared();

    RecState state = RecState::idle;
    std::function<void(bool)> onRecordingStateChanged;

    // Not built yet: reports that the feature is pending.
    void toggle();
    // Stops a running recording and keeps its file; nothing otherwise.
    void handleAppTermination();
};

}  // namespace klipo
