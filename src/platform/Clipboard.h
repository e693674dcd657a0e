#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace klipo::platform {

// The system clipboard. Main thread only.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Puts the image on the clipboard as one item that offers it as PNG
    // ("image/png") and TIFF ("image/tiff"). Both are encoded in the
    // background from the moment of the copy, so a program that pastes never
    // waits for an encoding on our interface thread; `knownPng` spares the PNG
    // encoding when the caller already has it (may be empty). Returns whether
    // this program holds the clipboard afterwards, which is what a successful
    // copy means here.
    virtual bool copyImage(const QImage& image, const QByteArray& knownPng) = 0;
    // copyImage() without the answer.
    virtual void setImage(const QImage& image) = 0;
    virtual void setText(const QString& text) = 0;
    // Both at once in one clipboard item: image and its text.
    virtual void setImageAndText(const QImage& image, const QString& text) = 0;
    // Image data on the clipboard only; null when there is none.
    virtual QImage image() const = 0;
    // What can be pinned from the clipboard: its image data, else the image of
    // the first local PNG, JPEG or TIFF file among its URLs. Null when neither
    // gives a readable image (corrupt data, over the decoder's size limit).
    virtual QImage pastedImage() const = 0;
    virtual QString text() const = 0;
};

}  // namespace klipo::platform
