#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace klipo::platform {

// A run of microphone samples: mono, 32-bit float, at the rate asked for.
struct MicrophoneChunk {
    const float* samples = nullptr;
    int count = 0;
    // When the first sample was picked up, on the monotonic clock
    // (media::monotonicMicros()), the one clock a recording runs on.
    std::int64_t firstSampleMicros = 0;
};

// The default sound input. There is no permission on Linux: the microphone
// counts as allowed when the sound server has an input to record from.
class Microphone {
public:
    virtual ~Microphone() = default;

    // Why the microphone cannot be used now (Chinese), or nothing when it can.
    virtual std::optional<QString> unavailableReason() = 0;

    // Opens the default input and reads it on a thread of its own, handing
    // every chunk (about 10 ms) to `onChunk` on that thread. When reading
    // fails later, `onError` gets the reason once and reading ends. Returns
    // the reason when the input cannot be opened.
    virtual std::optional<QString> start(int sampleRate, std::function<void(const MicrophoneChunk&)> onChunk,
                                         std::function<void(const QString&)> onError) = 0;
    // Stops reading; no callback runs after it returns. Safe to call twice.
    virtual void stop() = 0;
};

// The session's microphone (PulseAudio).
std::unique_ptr<Microphone> createMicrophone();

}  // namespace klipo::platform
