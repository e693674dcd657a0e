#pragma once

#include "app/SettingsTypes.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

// The one output path of finished captures that do not come from the plain
// screenshot (the overlay's save, the remembered area, scrolling capture):
// a new file in the capture folder under the template name, the clipboard,
// the toast, a history record (indexed for a plain screenshot) and, on request, the codes found
// in the image. It always writes a file, never downscales and plays no
// capture feedback.
namespace klipo::QuickCaptureOutput {

// The capture-file settings, read when a delivery starts.
struct Options {
    QString directory;
    CaptureFileFormat format = CaptureFileFormat::png;
    bool copyToClipboard = true;
    bool showHUD = true;
    bool saveHistory = true;
    // The history record is made findable by the text the image shows (a
    // plain screenshot saved from the overlay); "indexCaptureText" decides.
    bool indexText = false;

    static Options current();
};

struct Request {
    bool detectBarcode = false;
    // Images whose file is larger than this many bytes are not copied.
    std::optional<qint64> clipboardByteLimit;
    // Appended to the toast's subtitle.
    QString noteSuffix;
};

// What the worker hands back to the main thread.
struct Result {
    QString filePath;  // empty when no file was written
    QString error;     // why not
    bool tooLargeForClipboard = false;
    QImage image;
    QByteArray png;  // the file's bytes when it is a PNG
    QImage thumbnail;
    QStringList codes;
};

// The barcode panel follows the toast after this long.
inline constexpr int barcodePanelDelayMs = 350;

// Called on the main thread; returns at once, the work goes on in the
// background and ends on the main thread.
void deliver(const QImage& image, bool detectBarcode, std::optional<qint64> clipboardByteLimit,
             const QString& noteSuffix);
void deliver(const QImage& image, const Request& request, const Options& options);

// The two halves of a delivery: the worker's (encode, write, read codes) and
// the main thread's (copy, toast, history, panel).
Result prepare(const QImage& image, const Request& request, const Options& options);
void report(const Result& result, const Request& request, const Options& options);

}  // namespace klipo::QuickCaptureOutput
