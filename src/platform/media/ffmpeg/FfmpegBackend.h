#pragma once

#include "platform/media/MediaBackend.h"

namespace klipo::platform::media {

// MediaBackend on FFmpeg: libavformat with libx264 and FFmpeg's own AAC
// encoder for writing, its demuxers and decoders for reading back, libswscale
// for the pictures.
class FfmpegBackend final : public MediaBackend {
public:
    std::unique_ptr<MediaFileWriter> createWriter() override;
    MediaInfo probe(const QString& path) override;
    bool allocateFrame(AVFrame*& frame, int width, int height) override;
    void freeFrame(AVFrame*& frame) override;
    int frameWidth(const AVFrame* frame) override;
    int frameHeight(const AVFrame* frame) override;
    std::optional<QString> convert(SwsContext*& context, const QImage& image, AVFrame*& out) override;
    void freeConverter(SwsContext*& context) override;
};

}  // namespace klipo::platform::media
