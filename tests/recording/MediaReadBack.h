#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace klipo::test {

// The `index`-th picture of the file's video track as an RGB image (the
// track's colour tags honoured); a null image when there is none.
QImage decodePicture(const QString& path, int index = 0);

// The sound track decoded to mono samples; empty without one.
std::vector<float> decodeSound(const QString& path, int* sampleRate = nullptr);

// Root mean square of samples [from, to).
double rms(const std::vector<float>& samples, std::size_t from, std::size_t to);

}  // namespace klipo::test
