#pragma once

#include <QString>

#include <cstdint>

namespace klipo::platform::media {

// What a video file holds, read back through the demuxer and decoders.
struct MediaInfo {
    bool opened = false;
    QString error;                 // why it could not be opened
    double durationSeconds = -1;   // from the packets when the whole file was read
    int width = 0;                 // first video track; 0 without one
    int height = 0;
    double frameRate = 0;          // the track's nominal rate
    int videoProfile = -1;         // codec profile number (FF_PROFILE_*), -1 unknown
    std::int64_t videoPackets = 0;
    std::int64_t videoFramesDecoded = 0;
    std::int64_t decodeErrors = 0;  // packets or frames a decoder refused
    bool hasAudio = false;
    int audioSampleRate = 0;
    int audioChannels = 0;
    std::int64_t audioPackets = 0;
    double firstVideoSeconds = 0;  // time stamp of the first picture
    double firstAudioSeconds = 0;  // time stamp of the first sound packet

    // The file opens, has a video track and every packet read decodes.
    bool playable() const { return opened && width > 0 && videoFramesDecoded > 0 && decodeErrors == 0; }
};

// Opens `path` and reads it to the end, decoding every video and sound packet.
MediaInfo probeMediaFile(const QString& path);

}  // namespace klipo::platform::media
