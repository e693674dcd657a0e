#include "platform/SystemClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QFuture>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QThreadPool>
#include <QUrl>
#include <QtConcurrent>

namespace klipo::platform {

namespace {

const QString pngType = QStringLiteral("image/png");
const QString tiffType = QStringLiteral("image/tiff");
const QString qtImageType = QStringLiteral("application/x-qt-image");

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) return {};
    return data;
}

bool canWriteTiff()
{
    static const bool supported = QImageWriter::supportedImageFormats().contains("tiff");
    return supported;
}

QFuture<QByteArray> encodeInBackground(const QImage& image, const char* format)
{
    return QtConcurrent::run(QThreadPool::globalInstance(), [image, format] { return encoded(image, format); });
}

// One clipboard item: the image as PNG and TIFF (and a Qt image for readers
// in this process), optionally with text.
class ImageMimeData final : public QMimeData {
public:
    ImageMimeData(const QImage& image, const QByteArray& knownPng) : m_image(image)
    {
        m_png = knownPng.isEmpty() ? encodeInBackground(image, "png") : QtFuture::makeReadyFuture(knownPng);
        if (canWriteTiff()) m_tiff = encodeInBackground(image, "tiff");
    }

    bool hasFormat(const QString& mimeType) const override
    {
        return mimeType == qtImageType || imageFormats().contains(mimeType) || QMimeData::hasFormat(mimeType);
    }

    QStringList formats() const override { return imageFormats() + QMimeData::formats(); }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType == qtImageType) return m_image;
        if (mimeType == pngType) return m_png.result();
        if (mimeType == tiffType && m_tiff.isValid()) return m_tiff.result();
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    QStringList imageFormats() const
    {
        QStringList list{pngType};
        if (m_tiff.isValid()) list << tiffType;
        return list;
    }

    QImage m_image;
    QFuture<QByteArray> m_png;
    QFuture<QByteArray> m_tiff;
};

QClipboard* clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

bool SystemClipboard::copyImage(const QImage& image, const QByteArray& knownPng)
{
    QClipboard* board = clipboard();
    if (!board || image.isNull()) return false;
    auto* data = new ImageMimeData(image, knownPng);
    board->setMimeData(data);
    // On X11 the clipboard hands back our own data only while the display
    // server names us its owner; other platforms keep it in the process.
    return board->mimeData() == data;
}

void SystemClipboard::setImage(const QImage& image) { copyImage(image, {}); }

void SystemClipboard::setText(const QString& text)
{
    if (QClipboard* board = clipboard()) board->setText(text);
}

void SystemClipboard::setImageAndText(const QImage& image, const QString& text)
{
    QClipboard* board = clipboard();
    if (!board) return;
    if (image.isNull()) {
        if (!text.isEmpty()) board->setText(text);
        return;
    }
    auto* data = new ImageMimeData(image, {});
    if (!text.isEmpty()) data->setText(text);
    board->setMimeData(data);
}

QImage SystemClipboard::image() const
{
    QClipboard* board = clipboard();
    return board ? board->image() : QImage();
}

QImage SystemClipboard::pastedImage() const
{
    QClipboard* board = clipboard();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    if (!data) return {};
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) return image;
    }
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        QImageReader reader(url.toLocalFile());
        reader.setDecideFormatFromContent(true);
        const QByteArray format = reader.format();
        if (format != "png" && format != "jpeg" && format != "tiff") continue;
        reader.setAutoTransform(true);
        return reader.read();  // null when unreadable or over the decoder's size limit
    }
    return {};
}

QString SystemClipboard::text() const
{
    QClipboard* board = clipboard();
    return board ? board->text() : QString();
}

}  // namespace klipo::platform
