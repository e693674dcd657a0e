#pragma once

#include <QImage>
#include <QString>

namespace klipo::platform {

// The system clipboard. Main thread only.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Puts the image on the clipboard as PNG (image/png) and as a Qt image.
    virtual void setImage(const QImage& image) = 0;
    virtual void setText(const QString& text) = 0;
    // Both at once in one clipboard item: image and its text.
    virtual void setImageAndText(const QImage& image, const QString& text) = 0;
    virtual QImage image() const = 0;
    virtual QString text() const = 0;
};

}  // namespace klipo::platform
