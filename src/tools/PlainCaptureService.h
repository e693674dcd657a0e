#pragma once

#include "tools/CaptureTextIndex.h"

#include "app/CaptureService.h"
#include "app/SettingsTypes.h"
#include "platform/ScreenshotTool.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>

namespace klipo {

class PlainCaptureOverlay;

// Plain screenshots ("普通截图", its hot key and the end of a delayed capture):
// saved in the capture folder under the template name, copied, reported in the
// toast, followed by the capture feedback and kept in the history with their
// text made searchable. With the overlay switched on, an interactive one is
// handed to the overlay instead. Main thread, except persist().
namespace PlainCaptureService {

// The settings of one capture, read once when it starts.
struct Options {
    QString directory;
    CaptureFileFormat format = CaptureFileFormat::png;
    bool copyToClipboard = true;
    bool showHUD = true;
    bool saveHistory = true;
    bool autoSave = true;
    bool includeCursor = false;
    bool scaleRetinaTo1x = false;
    double screenScale = 1.0;  // the primary screen's, for captures that name no screen

    static Options current();
};

// A saved (or only kept) capture, or a failure to save it.
struct Outcome {
    bool saved = false;   // false: `message` says why the file could not be written
    QString filePath;     // empty when no file was written
    QString message;
    QImage image;         // the capture as kept: downscaled when asked
    QByteArray png;       // the file's bytes when it is a PNG (spares the clipboard an encoding)
    QImage thumbnail;     // for the toast
};

// Starts a capture. Without screen access it asks for it, calls
// `onPermissionDenied` and captures nothing. A second interactive start while
// the overlay is open closes it.
void start(CaptureService::Mode mode, std::function<void()> onPermissionDenied);

// The overlay to hand interactive captures to; none to use the region picker.
void setOverlay(std::shared_ptr<PlainCaptureOverlay> overlay);

// Makes a saved screenshot's text searchable (record id, image, file title);
// the shell plugs in the recogniser (CaptureTextIndex).
using TextIndexer = CaptureTextIndex::TextIndexer;
void setTextIndexer(TextIndexer indexer);

// The steps after the screen was read, in order. A cancel stays silent, a
// failure shows "截图失败"; a picture is persisted on a worker, then finished.
void handleCapture(const platform::CaptureOutcome& capture, const Options& options);
// Downscales when asked (by `captureScale`, the captured screen's pixels per
// point; 0 when unknown, then the options' scale), encodes and writes the
// file. Any thread.
Outcome persist(const QImage& captured, double captureScale, const Options& options);
// Copies, reports, plays the feedback and records the history.
void finish(const Outcome& outcome, const Options& options);

}  // namespace PlainCaptureService

}  // namespace klipo
