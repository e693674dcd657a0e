#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

// Where an annotated image goes from the annotation window: the clipboard or
// a PNG file, each reported in the toast.
namespace klipo::AnnoImageOutput {

// "标注 2026-12-05 15.10.17.png": the same digits whatever the user's locale.
QString proposedFileName(const QDateTime& now);

// Puts the image on the clipboard (PNG and TIFF) and says whether that
// worked; true when the clipboard took it. Main thread.
bool copy(const QImage& image);

// Encodes the image as PNG and writes it to the path, replacing what is there
// atomically, off the main thread; then reports the file (a click on the
// toast shows it) or why it could not be written. Main thread.
void save(const QImage& image, const QString& path);

// Reports that the annotated image could not be made, under the title of what
// the user asked for. The marks stay in the window.
void reportComposeFailure(const QString& title);

}  // namespace klipo::AnnoImageOutput
