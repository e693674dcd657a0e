#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace klipo::platform::media {

class YuvFrame;

enum class Container { mp4, mov };

struct VideoSettings {
    int width = 0;   // even
    int height = 0;  // even
    int fps = 30;
    std::int64_t bitRate = 1000000;  // bits per second
    int keyFrameInterval = 60;       // frames
    QString preset = QStringLiteral("veryfast");
};

struct AudioSettings {
    int sampleRate = 48000;
    int channels = 1;
    std::int64_t bitRate = 96000;
};

// Encodes H.264 video (and AAC sound) into an MP4 or MOV file written in
// fragments, so that a file cut off at any point plays up to its last
// complete fragment. Used by one thread at a time.
class MediaFileWriter {
public:
    virtual ~MediaFileWriter() = default;

    // Creates the file and writes its head. When the sound encoder cannot be
    // set up the file is written without sound (hasAudio() false). Reason on
    // failure; the file may then exist and is the caller's to remove.
    virtual std::optional<QString> open(const QString& path, Container container, const VideoSettings& video,
                                        const std::optional<AudioSettings>& audio) = 0;
    virtual bool hasAudio() const = 0;

    // Encodes a picture shown from frame slot `slot` (in 1/fps steps from the
    // start; slots only grow) and writes what the encoder hands back.
    virtual std::optional<QString> writeVideo(YuvFrame& frame, std::int64_t slot) = 0;
    // Appends mono samples to the sound track, which starts at the file's start.
    virtual std::optional<QString> writeAudio(const float* samples, int count) = 0;

    // Drains the encoders, writes the file's end and closes it. Tries every
    // step even after a failure and returns the first reason.
    virtual std::optional<QString> finish() = 0;

    virtual std::int64_t videoFramesWritten() const = 0;  // pictures handed to the encoder
};

std::unique_ptr<MediaFileWriter> createMediaFileWriter();

}  // namespace klipo::platform::media
