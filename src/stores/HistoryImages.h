#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QString>

namespace klipo::historyimages {

// The image as PNG; empty when it cannot be encoded (a null image included).
QByteArray pngData(const QImage& image);

// pngData of the image, encoded from now on in the background on one core of
// the shared thread pool: a picture whose record is saved later is encoded
// while other work (reading its text) has the other cores.
QFuture<QByteArray> pngDataLater(const QImage& image);

// The image in the file, turned by its orientation tag; null when the file is
// missing or not an image.
QImage readImage(const QString& path);

// The image in the file scaled so that its longer side is at most `maxPixel`
// (never enlarged); null when the file cannot be read or maxPixel < 1.
QImage makeThumbnail(const QString& path, int maxPixel);

// Bytes of all files in the folder and below it, hidden entries skipped; 0
// when the folder cannot be read.
qint64 folderSize(const QString& folder);

}  // namespace klipo::historyimages
