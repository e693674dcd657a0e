#include "recording/RecAudioAligner.h"

#include <algorithm>
#include <cmath>

namespace klipo {

RecAudioAligner::RecAudioAligner(int sampleRate, int toleranceMillis)
    : m_rate(sampleRate), m_tolerance(std::int64_t(sampleRate) * toleranceMillis / 1000)
{
}

void RecAudioAligner::setOrigin(std::int64_t originMicros)
{
    m_origin = originMicros;
    m_hasOrigin = true;
}

RecAudioAligner::Placement RecAudioAligner::place(std::int64_t firstSampleMicros, int count)
{
    Placement placement;
    if (!m_hasOrigin || count <= 0) {
        placement.skip = std::max(0, count);
        m_skipped += placement.skip;
        return placement;
    }
    // Where the chunk belongs on the track, by the clock.
    const std::int64_t due = std::llround(double(firstSampleMicros - m_origin) * m_rate / 1e6);
    if (!m_started) {
        if (due + count <= 0) {
            placement.skip = count;  // all of it before the first picture
        } else {
            m_started = true;
            placement.skip = int(std::max<std::int64_t>(0, -due));
            placement.silenceBefore = std::max<std::int64_t>(0, due);
        }
    } else {
        const std::int64_t drift = due - m_position;
        m_largestDriftMillis = std::max(m_largestDriftMillis, std::abs(double(drift)) * 1000.0 / m_rate);
        if (drift > m_tolerance)
            placement.silenceBefore = drift;
        else if (drift < -m_tolerance)
            placement.skip = int(std::min<std::int64_t>(count, -drift));
    }
    m_position += placement.silenceBefore + (count - placement.skip);
    m_silenceAdded += placement.silenceBefore;
    m_skipped += placement.skip;
    return placement;
}

}  // namespace klipo
