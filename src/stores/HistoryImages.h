#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace klipo::historyimages {

// The image as PNG; empty when it cannot be encoded (a null image included).
QByteArray pngData(const QImage& image);

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
