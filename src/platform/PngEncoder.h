#pragma once

#include <QByteArray>
#include <QImage>

namespace klipo::platform::png {

// The image as PNG (8-bit RGB, or RGBA when it has an alpha channel), its
// rows filtered and compressed in strips on the cores there are. The strips
// form one zlib stream, so any decoder reads the file. Empty for a null image
// or one too large to encode.
QByteArray encode(const QImage& image);

}  // namespace klipo::platform::png
