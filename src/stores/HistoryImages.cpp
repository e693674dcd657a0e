#include "stores/HistoryImages.h"

#include "platform/PngEncoder.h"
#include "stores/StoreFiles.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

namespace klipo::historyimages {

QByteArray pngData(const QImage& image) { return platform::png::encode(image); }

QFuture<QByteArray> pngDataLater(const QImage& image)
{
    return QtConcurrent::run([image] { return platform::png::encode(image, true); });
}

namespace {

// The file's bytes, read only from a regular file: a FIFO or device under the
// name must not stall the history's queue.
QByteArray imageBytes(const QString& path) { return storefiles::readStoreFile(path).data; }

}  // namespace

QImage readImage(const QString& path)
{
    QByteArray bytes = imageBytes(path);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}

QImage makeThumbnail(const QString& path, int maxPixel)
{
    if (maxPixel < 1) return {};
    QByteArray bytes = imageBytes(path);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const bool knownSize = size.isValid() && !size.isEmpty();
    if (knownSize && qMax(size.width(), size.height()) > maxPixel)
        reader.setScaledSize(size.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull()) return {};
    if (qMax(image.width(), image.height()) > maxPixel)
        image = image.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

qint64 folderSize(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isFile()) total += info.size();
    }
    return total;
}

}  // namespace klipo::historyimages
