#pragma once

#include "platform/Clipboard.h"

namespace klipo::platform {

// The clipboard of the desktop session, through QClipboard. Images are offered
// as Qt images and as PNG ("image/png"); the PNG is encoded only when a
// program asks for it.
class SystemClipboard final : public Clipboard {
public:
    void setImage(const QImage& image) override;
    void setText(const QString& text) override;
    void setImageAndText(const QImage& image, const QString& text) override;
    QImage image() const override;
    QString text() const override;
};

}  // namespace klipo::platform
