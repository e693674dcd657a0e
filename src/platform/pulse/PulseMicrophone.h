#pragma once

#include "platform/Microphone.h"

#include <atomic>
#include <thread>

struct pa_simple;

namespace klipo::platform::pulse {

// The default PulseAudio source through the simple API.
class PulseMicrophone final : public Microphone {
public:
    ~PulseMicrophone() override;

    std::optional<QString> unavailableReason() override;
    std::optional<QString> start(int sampleRate, std::function<void(const MicrophoneChunk&)> onChunk,
                                 std::function<void(const QString&)> onError) override;
    void stop() override;

private:
    void run(int sampleRate);

    pa_simple* m_stream = nullptr;
    std::function<void(const MicrophoneChunk&)> m_onChunk;
    std::function<void(const QString&)> m_onError;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

}  // namespace klipo::platform::pulse
