#pragma once

#include "platform/Microphone.h"

#include <memory>

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
    struct Reader;  // shared with the reading thread, which may outlive a stop
    std::shared_ptr<Reader> m_reader;
};

}  // namespace klipo::platform::pulse
