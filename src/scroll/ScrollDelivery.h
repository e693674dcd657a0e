#pragma once

#include "tools/CaptureReport.h"
#include "tools/QuickCaptureOutput.h"

#include <QImage>
#include <QString>

// How a finished long screenshot leaves the capture: through the shared
// output path, with what that path cannot do for an image this size. JPEG
// holds at most 65,500 rows, so a taller image is saved as PNG; when the
// capture folder cannot take the file (full disk, no write access) the image
// goes to the temporary folder, and when that fails too, to the clipboard
// whatever its size: a long capture is never lost on the way out.
namespace klipo::ScrollDelivery {

// Larger files are saved but not put on the clipboard.
inline constexpr qint64 clipboardByteLimit = 52428800;
inline constexpr int jpegMaxRows = 65500;

// The settings the image is delivered with, and the note that says what was
// changed for it (empty when nothing was).
struct Choice {
    QuickCaptureOutput::Options options;
    QString note;
};
Choice choose(const QImage& image, QuickCaptureOutput::Options options);

// Saves, copies, reports and records the image; returns at once, the work
// goes on in the background and ends on the main thread. `noteSuffix` is
// shown after the file name in the toast. With `inexactSeams`, the number of
// seams that were not matched exactly, the image is kept all the same but
// the toast says it may be wrong instead of reporting success, also when
// toasts are switched off.
void deliver(const QImage& image, const QString& noteSuffix, int inexactSeams = 0);
void deliver(const QImage& image, const QString& noteSuffix, const QuickCaptureOutput::Options& options,
             int inexactSeams = 0);

// The toast of a long image saved with inexact seams.
CaptureReport::Toast inexactToast(int inexactSeams, const QString& folderName, const QString& fileName,
                                  std::optional<qint64> refusedForLimit, const QString& note);

// Where the image was written by saveNow().
struct Saved {
    QString path;                    // empty when nowhere
    bool inTemporaryFolder = false;  // the capture folder refused it
    QString error;                   // why not the capture folder (Chinese)
};
// Writes the image now, on the calling thread, to the capture folder, else
// to the temporary folder; nothing else (the quit: no clipboard, no toast).
Saved saveNow(const QImage& image, const QuickCaptureOutput::Options& options);

// The desktop notification that tells what saveNow() did (a toast would go
// with the process).
struct Notice {
    QString title;
    QString body;
};
Notice quitNotice(const Saved& saved, int inexactSeams = 0);

// Writes a PNG of the image to `folder` under the template name; the path, or
// empty with the reason in `error`.
QString writeRescueCopy(const QImage& image, const QString& folder, QString* error);

}  // namespace klipo::ScrollDelivery
