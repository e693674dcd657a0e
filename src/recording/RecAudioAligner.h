#pragma once

#include <cstdint>

namespace klipo {

// Keeps the sound track on the recording's one clock. The track starts at the
// first picture's moment (the origin); every microphone chunk carries the
// moment its first sample was picked up. Chunks from before the origin are
// cut, and when the samples counted so far and the clock disagree by more
// than the tolerance (samples lost by the sound server, or a sound clock
// running apart from the system's), silence is put in or samples are left out.
class RecAudioAligner {
public:
    explicit RecAudioAligner(int sampleRate, int toleranceMillis = 40);

    void setOrigin(std::int64_t originMicros);
    bool hasOrigin() const { return m_hasOrigin; }

    struct Placement {
        std::int64_t silenceBefore = 0;  // silent samples to append first
        int skip = 0;                    // leading samples of the chunk to leave out
    };
    // Where a chunk of `count` samples picked up from `firstSampleMicros` goes.
    // Without an origin yet, the whole chunk is left out.
    Placement place(std::int64_t firstSampleMicros, int count);

    std::int64_t position() const { return m_position; }  // samples placed so far
    std::int64_t silenceAdded() const { return m_silenceAdded; }
    std::int64_t samplesSkipped() const { return m_skipped; }
    // The largest gap between count and clock seen before correcting, in ms.
    double largestDriftMillis() const { return m_largestDriftMillis; }

private:
    const int m_rate;
    const std::int64_t m_tolerance;  // samples
    bool m_hasOrigin = false;
    bool m_started = false;
    std::int64_t m_origin = 0;
    std::int64_t m_position = 0;
    std::int64_t m_silenceAdded = 0;
    std::int64_t m_skipped = 0;
    double m_largestDriftMillis = 0;
};

}  // namespace klipo
