#pragma once

#include <QByteArray>
#include <QImage>

namespace klipo::platform::png {

// The image as PNG (8-bit RGB, or RGBA when it has an alpha channel), its
// rows filtered and compressed in strips on the cores there are. The strips
// form one zlib stream, so any decoder reads the file. Empty for a null image
// or one too large to encode. With `oneCore` the strips are compressed one
// after the other on the caller's thread, into the same file: for a picture
// encoded in the background while other work has the cores.
QByteArray encode(const QImage& image, bool oneCore = false);

}  // namespace klipo::platform::png
