#pragma once

#include "platform/Clipboard.h"

namespace klipo::platform {

// The clipboard of the desktop session, through QClipboard. An image is one
// item offered as "image/png" and "image/tiff" (TIFF needs Qt's image-format
// plugins; without them only PNG is offered).
class SystemClipboard final : public Clipboard {
public:
    bool copyImage(const QImage& image, const QByteArray& knownPng) override;
    void setImage(const QImage& image) override;
    void setText(const QString& text) override;
    void setImageAndText(const QImage& image, const QString& text) override;
    QImage image() const override;
    QImage pastedImage() const override;
    QString text() const override;
};

}  // namespace klipo::platform
