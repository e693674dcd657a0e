#include "platform/PngEncoder.h"

#include "platform/text/InParallel.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace klipo::platform::png {

namespace {

// zlib's third level: close to its default's size on screen content at about
// half its time.
constexpr int kLevel = 3;
// Rows per strip at least: a strip restarts the compressor's window, so
// strips too short would cost size.
constexpr int kLeastRows = 48;
// A chunk's length is a 31-bit number; IDAT chunks are cut well below it.
constexpr qsizetype kChunkBytes = qsizetype(1) << 24;

enum Filter : uint8_t { None = 0, Sub = 1, Up = 2, Paeth = 4 };

inline uint8_t paethOf(int left, int up, int upLeft)
{
    const int p = left + up - upLeft;
    const int pa = std::abs(p - left);
    const int pb = std::abs(p - up);
    const int pc = std::abs(p - upLeft);
    if (pa <= pb && pa <= pc) return uint8_t(left);
    return uint8_t(pb <= pc ? up : upLeft);
}

// Filters one row into `out` (its filter byte first), choosing the filter
// whose bytes, read as signed, add up to the least: the usual heuristic that
// makes filtered rows compress well.
void filterRow(const uint8_t* row, const uint8_t* above, int bytes, int bpp, uint8_t* out,
               std::array<std::vector<uint8_t>, 4>& trial)
{
    auto cost = [](const std::vector<uint8_t>& v, int n) {
        uint64_t sum = 0;
        for (int i = 0; i < n; ++i) sum += uint64_t(std::abs(int(int8_t(v[i]))));
        return sum;
    };
    uint8_t* sub = trial[0].data();
    uint8_t* up = trial[1].data();
    uint8_t* paeth = trial[2].data();
    uint8_t* none = trial[3].data();
    for (int i = 0; i < bytes; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        const int u = above ? above[i] : 0;
        const int ul = above && i >= bpp ? above[i - bpp] : 0;
        none[i] = row[i];
        sub[i] = uint8_t(row[i] - left);
        up[i] = uint8_t(row[i] - u);
        paeth[i] = uint8_t(row[i] - paethOf(left, u, ul));
    }
    const uint64_t costs[4] = {cost(trial[0], bytes), cost(trial[1], bytes), cost(trial[2], bytes),
                               cost(trial[3], bytes)};
    static const uint8_t kTypes[4] = {Sub, Up, Paeth, None};
    const int best = int(std::min_element(costs, costs + 4) - costs);
    out[0] = kTypes[best];
    std::copy_n(trial[size_t(best)].data(), bytes, out + 1);
}

struct Strip {
    QByteArray deflated;  // raw deflate blocks, the last one final only in the last strip
    uLong adler = 1;
    uLong length = 0;     // filtered bytes it holds
    bool ok = false;
};

// Rows [from, to) of the source and the row above them, in `format`: each
// strip converts only its own rows, on its own core.
QImage stripRows(const QImage& source, QImage::Format format, int from, int to)
{
    const int first = std::max(0, from - 1);
    const QImage rows(source.constScanLine(first), source.width(), to - first, source.bytesPerLine(),
                      source.format());
    return rows.convertToFormat(format);
}

void encodeStrip(const QImage& source, QImage::Format format, int bpp, int from, int to, bool last, Strip& strip)
{
    const QImage image = stripRows(source, format, from, to);
    if (image.isNull()) return;
    const int offset = from > 0 ? 1 : 0;  // the row above the strip comes first
    const int bytes = image.width() * bpp;
    std::vector<uint8_t> filtered(size_t(to - from) * size_t(bytes + 1));
    std::array<std::vector<uint8_t>, 4> trial;
    for (auto& t : trial) t.resize(size_t(bytes));
    for (int y = from; y < to; ++y) {
        const int row = y - from + offset;
        const uint8_t* above = y > 0 ? image.constScanLine(row - 1) : nullptr;
        filterRow(image.constScanLine(row), above, bytes, bpp, filtered.data() + size_t(y - from) * size_t(bytes + 1),
                  trial);
    }
    strip.length = uLong(filtered.size());
    strip.adler = adler32(adler32(0, nullptr, 0), filtered.data(), uInt(filtered.size()));

    z_stream z = {};
    if (deflateInit2(&z, kLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return;
    strip.deflated.resize(qsizetype(deflateBound(&z, uLong(filtered.size())) + 16));
    z.next_in = filtered.data();
    z.avail_in = uInt(filtered.size());
    z.next_out = reinterpret_cast<Bytef*>(strip.deflated.data());
    z.avail_out = uInt(strip.deflated.size());
    // A strip that is not the last ends on a byte boundary with no final
    // block, so the next strip's blocks follow it in one stream.
    const int result = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
    strip.ok = last ? result == Z_STREAM_END : (result == Z_OK && z.avail_in == 0);
    strip.deflated.resize(qsizetype(z.total_out));
    deflateEnd(&z);
}

void putU32(QByteArray& out, uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

void putChunk(QByteArray& out, const char type[4], const char* data, qsizetype length)
{
    putU32(out, uint32_t(length));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data, length);
    putU32(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(out.constData() + start), uInt(length + 4))));
}

}  // namespace

QByteArray encode(const QImage& source, bool oneCore)
{
    if (source.isNull()) return {};
    const bool alpha = source.hasAlphaChannel();
    const QImage::Format format = alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    // Colour tables and odd formats are read as 32-bit pixels; the usual ones as they are.
    const QImage image = source.depth() < 8 || source.format() == QImage::Format_Indexed8
                             ? source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32)
                             : source;
    if (image.isNull()) return {};
    const int bpp = alpha ? 4 : 3;
    // Strips of a sixteenth of the image (zlib counts a strip's bytes in 32 bits).
    const int height = image.height();
    const qint64 rowBytes = qint64(image.width()) * bpp + 1;
    const int mostRows = int(std::max<qint64>(1, (qint64(1) << 30) / rowBytes));
    const int rowsPerStrip = std::min(mostRows, std::max(kLeastRows, (height + 15) / 16));
    const int strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    std::vector<Strip> parts(static_cast<size_t>(strips));
    const auto encodeStrips = [&](size_t from, size_t to) {
        for (size_t s = from; s < to; ++s) {
            const int y0 = int(s) * rowsPerStrip;
            encodeStrip(image, format, bpp, y0, std::min(height, y0 + rowsPerStrip), int(s) == strips - 1, parts[s]);
        }
    };
    if (oneCore) encodeStrips(0, size_t(strips));
    else inParallel(size_t(strips), 1, encodeStrips);

    QByteArray stream;
    qsizetype total = 2 + 4;
    for (const Strip& p : parts) {
        if (!p.ok) return {};
        total += p.deflated.size();
    }
    stream.reserve(total);
    stream.append(char(0x78));
    stream.append(char(0x5e));  // a 32K window, a fast level; the header's check bits hold
    uLong adler = parts.front().adler;
    for (size_t s = 0; s < parts.size(); ++s) {
        stream.append(parts[s].deflated);
        if (s > 0) adler = adler32_combine(adler, parts[s].adler, z_off_t(parts[s].length));
    }
    putU32(stream, uint32_t(adler));

    QByteArray out;
    out.reserve(stream.size() + 64 + (stream.size() / kChunkBytes + 1) * 12);
    out.append("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    putU32(header, uint32_t(image.width()));
    putU32(header, uint32_t(height));
    header.append(char(8));               // bits per sample
    header.append(char(alpha ? 6 : 2));  // RGBA or RGB
    header.append(3, char(0));           // deflate, adaptive filters, not interlaced
    putChunk(out, "IHDR", header.constData(), header.size());
    for (qsizetype at = 0; at < stream.size(); at += kChunkBytes)
        putChunk(out, "IDAT", stream.constData() + at, std::min(kChunkBytes, stream.size() - at));
    putChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace klipo::platform::png
