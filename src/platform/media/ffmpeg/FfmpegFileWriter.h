#pragma once

#include "platform/media/MediaFileWriter.h"

#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace klipo::platform::media {

// MediaFileWriter on libavformat with libx264 and FFmpeg's own AAC encoder.
class FfmpegFileWriter final : public MediaFileWriter {
public:
    FfmpegFileWriter();
    ~FfmpegFileWriter() override;

    std::optional<QString> open(const QString& path, Container container, const VideoSettings& video,
                                const std::optional<AudioSettings>& audio) override;
    bool hasAudio() const override { return m_audioCodec != nullptr; }
    std::optional<QString> writeVideo(YuvFrame& frame, std::int64_t slot) override;
    std::optional<QString> writeAudio(const float* samples, int count) override;
    std::optional<QString> finish() override;
    std::int64_t videoFramesWritten() const override { return m_videoFrames; }

private:
    std::optional<QString> openVideo(const VideoSettings& video);
    bool openAudio(const AudioSettings& audio);
    std::optional<QString> sendAudioFrame(int samples);
    // Sends `frame` (nothing: drain) and writes every packet that comes out.
    std::optional<QString> encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame);
    void release();

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_videoCodec = nullptr;
    AVCodecContext* m_audioCodec = nullptr;
    AVStream* m_videoStream = nullptr;
    AVStream* m_audioStream = nullptr;
    AVFrame* m_audioFrame = nullptr;
    AVPacket* m_packet = nullptr;
    int m_audioFill = 0;                 // samples waiting in m_audioFrame
    std::int64_t m_audioSamplesSent = 0; // samples handed to the sound encoder
    std::int64_t m_videoFrames = 0;
    bool m_headerWritten = false;
    bool m_finished = false;
};

}  // namespace klipo::platform::media
