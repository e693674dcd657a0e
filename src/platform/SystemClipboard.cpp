#include "platform/SystemClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace klipo::platform {

namespace {

const QString pngType = QStringLiteral("image/png");

// Clipboard data that adds "image/png" to the image and encodes it on the
// first request (encoding a large screenshot up front would stall the copy).
class ImageMimeData final : public QMimeData {
public:
    explicit ImageMimeData(const QImage& image) : m_image(image) { setImageData(image); }

    bool hasFormat(const QString& mimeType) const override
    {
        return mimeType == pngType || QMimeData::hasFormat(mimeType);
    }

    QStringList formats() const override
    {
        QStringList list = QMimeData::formats();
        if (!list.contains(pngType)) list.prepend(pngType);
        return list;
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType != pngType) return QMimeData::retrieveData(mimeType, type);
        if (m_png.isEmpty()) {
            QBuffer buffer(&m_png);
            buffer.open(QIODevice::WriteOnly);
            m_image.save(&buffer, "PNG");
        }
        return m_png;
    }

private:
    QImage m_image;
    mutable QByteArray m_png;
};

QClipboard* clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

void SystemClipboard::setImage(const QImage& image) { setImageAndText(image, QString()); }

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
    auto* data = new ImageMimeData(image);
    if (!text.isEmpty()) data->setText(text);
    board->setMimeData(data);
}

QImage SystemClipboard::image() const
{
    QClipboard* board = clipboard();
    return board ? board->image() : QImage();
}

QString SystemClipboard::text() const
{
    QClipboard* board = clipboard();
    return board ? board->text() : QString();
}

}  // namespace klipo::platform
