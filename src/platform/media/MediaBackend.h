#pragma once

#include "platform/media/MediaFileWriter.h"
#include "platform/media/MediaProbe.h"

#include <QImage>
#include <QString>

#include <memory>
#include <optional>

struct AVFrame;
struct SwsContext;

namespace klipo::platform::media {

// The encoder, decoder and picture converter. They live in a module of their
// own that is loaded at the first recording: FFmpeg and the seventy libraries
// it brings would otherwise be loaded, and kept in memory, by every start of
// the program, most of which never record.
class MediaBackend {
public:
    virtual ~MediaBackend() = default;

    virtual std::unique_ptr<MediaFileWriter> createWriter() = 0;
    virtual MediaInfo probe(const QString& path) = 0;

    // YuvFrame's and BgraToYuvConverter's work (see YuvFrame.h).
    virtual bool allocateFrame(AVFrame*& frame, int width, int height) = 0;
    virtual void freeFrame(AVFrame*& frame) = 0;
    virtual int frameWidth(const AVFrame* frame) = 0;
    virtual int frameHeight(const AVFrame* frame) = 0;
    virtual std::optional<QString> convert(SwsContext*& context, const QImage& image, AVFrame*& out) = 0;
    virtual void freeConverter(SwsContext*& context) = 0;
};

// The module's backend, loaded on the first call; nullptr when it cannot be
// loaded, with the reason for the user in `why`.
MediaBackend* mediaBackend(QString* why = nullptr);
// Loads the module on a thread of its own (it takes some tens of
// milliseconds), so that a recording about to start does not wait for it.
void loadMediaBackendAhead();

}  // namespace klipo::platform::media

// What the module exports.
extern "C" klipo::platform::media::MediaBackend* klipoMediaBackend();
