#include "recording/RecEncoderStage.h"

#include "platform/media/MediaClock.h"

#include <algorithm>

namespace klipo {

namespace {
// Pictures wait in the pool's buffers; this bounds only the sound chunks
// (about 10 ms each) that can queue up behind a slow encoder.
constexpr std::size_t inboxCapacity = 512;
}  // namespace

RecEncoderStage::RecEncoderStage(std::unique_ptr<platform::media::MediaFileWriter> writer, YuvPool& pictures,
                                 int sampleRate, std::function<void(const QString&)> onWriteFailure)
    : m_writer(std::move(writer)), m_pictures(pictures), m_onWriteFailure(std::move(onWriteFailure)),
      m_inbox(inboxCapacity), m_aligner(sampleRate)
{
}

RecEncoderStage::~RecEncoderStage() { finish(); }

void RecEncoderStage::start()
{
    m_thread = std::thread([this] { run(); });
}

bool RecEncoderStage::pushVideo(platform::media::YuvFrame&& frame, std::int64_t slot)
{
    Item item{Picture{std::move(frame), slot}};
    if (m_inbox.tryPush(std::move(item))) return true;
    m_pictures.give(std::move(std::get<Picture>(item).frame));
    return false;
}

bool RecEncoderStage::pushAudio(const float* samples, int count, std::int64_t firstSampleMicros)
{
    return m_inbox.tryPush(Item{Sound{std::vector<float>(samples, samples + count), firstSampleMicros}});
}

void RecEncoderStage::finish()
{
    m_inbox.close();
    if (m_thread.joinable()) m_thread.join();
}

std::optional<QString> RecEncoderStage::writeFailure() const
{
    std::lock_guard lock(m_failureMutex);
    return m_failure;
}

void RecEncoderStage::run()
{
    while (auto item = m_inbox.pop()) std::visit([this](auto& it) { write(it); }, *item);
    if (!writeFailure())
        if (auto failure = m_writer->finish()) fail(*failure);
    m_cpuSeconds = platform::media::threadCpuSeconds();
}

void RecEncoderStage::write(Picture& picture)
{
    if (!writeFailure()) {
        if (auto failure = m_writer->writeVideo(picture.frame, picture.slot))
            fail(*failure);
        else
            ++m_framesWritten;
    }
    m_pictures.give(std::move(picture.frame));
}

void RecEncoderStage::write(Sound& sound)
{
    if (writeFailure() || !m_writer->hasAudio()) return;
    if (!m_aligner.hasOrigin()) {
        const std::int64_t origin = m_origin.load();
        if (origin == noOrigin) return;  // no picture yet: nothing for the sound to line up with
        m_aligner.setOrigin(origin);
    }
    const int count = int(sound.samples.size());
    const RecAudioAligner::Placement placement = m_aligner.place(sound.firstSampleMicros, count);
    static const std::vector<float> silence(4800, 0.0f);
    for (std::int64_t left = placement.silenceBefore; left > 0;) {
        const int run = int(std::min<std::int64_t>(left, std::int64_t(silence.size())));
        if (auto failure = m_writer->writeAudio(silence.data(), run)) return fail(*failure);
        left -= run;
        m_audioSamples += run;
    }
    if (placement.skip >= count) return;
    if (auto failure = m_writer->writeAudio(sound.samples.data() + placement.skip, count - placement.skip))
        return fail(*failure);
    m_audioSamples += count - placement.skip;
}

void RecEncoderStage::fail(const QString& reason)
{
    {
        std::lock_guard lock(m_failureMutex);
        if (m_failure) return;
        m_failure = reason;
    }
    m_onWriteFailure(reason);
    // Close the file as far as the disk still allows; what was written before
    // the failure stays playable (it is written in whole fragments).
    m_writer->finish();
}

}  // namespace klipo
