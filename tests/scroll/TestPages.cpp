#include "TestPages.h"

#include <QRandomGenerator>

#include <algorithm>

namespace klipo::test {

namespace {

uint64_t mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

uint64_t hash3(uint64_t a, uint64_t b, uint64_t c) { return mix(a * 0x100000001B3ULL ^ mix(b * 31 + mix(c))); }

constexpr int linePitch = 24;

// One line of text: words of glyph boxes with their own ink pattern.
struct TextLine {
    std::vector<int> inkFrom;  // glyph boxes, pairs of [from, to)
    std::vector<int> inkTo;
    QRgb color = 0;
    bool blank = false;
};

TextLine layoutLine(const PageSpec& page, int64_t line)
{
    TextLine t;
    const uint64_t h = hash3(page.seed, uint64_t(line), 1);
    t.blank = h % 7 == 0;  // paragraph gap
    const int shade = 20 + int(h >> 8) % 60;
    t.color = (h >> 16) % 5 == 0 ? qRgb(30, 80, 200) : qRgb(shade, shade, shade);
    int x = 16 + int((h >> 24) % 24);
    const int end = page.width - 16 - int((h >> 32) % (page.width / 3 + 1));
    uint64_t r = h;
    while (x < end) {
        r = mix(r);
        const int letters = 2 + int(r % 8);
        for (int i = 0; i < letters && x < end; ++i) {
            const int w = 5 + int((r >> (8 + i * 3)) % 4);
            t.inkFrom.push_back(x);
            t.inkTo.push_back(std::min(x + w, end));
            x += w + 1;
        }
        x += 5 + int((r >> 40) % 4);
    }
    return t;
}

void drawTextRow(const PageSpec& page, int64_t y, QRgb* out, std::vector<std::pair<int64_t, TextLine>>& cache)
{
    std::fill(out, out + page.width, qRgb(252, 252, 252));
    if (page.kind == PageKind::blankGap && y >= page.gapFrom && y <= page.gapTo) return;
    const int64_t line = y / linePitch;
    const int inLine = int(y % linePitch);
    if (inLine < 6 || inLine >= 18) return;
    if (cache.empty() || cache.back().first != line) cache.assign(1, {line, layoutLine(page, line)});
    const TextLine& t = cache.back().second;
    if (t.blank) return;
    for (std::size_t g = 0; g < t.inkFrom.size(); ++g) {
        const uint64_t glyph = hash3(page.seed, uint64_t(line), uint64_t(t.inkFrom[g]));
        for (int x = t.inkFrom[g]; x < t.inkTo[g]; ++x) {
            const uint64_t bit = uint64_t((inLine - 6) * 5 + (x - t.inkFrom[g])) % 64;
            if (!((glyph >> bit) & 1)) continue;
            // Edges of the strokes come out lighter, like smoothed type.
            const int alpha = ((glyph >> ((bit + 7) % 64)) & 1) ? 255 : 140;
            const QRgb c = t.color;
            auto blend = [&](int ink) { return (ink * alpha + 252 * (255 - alpha)) / 255; };
            out[x] = qRgb(blend(qRed(c)), blend(qGreen(c)), blend(qBlue(c)));
        }
    }
}

// Digits 3 x 5, drawn twice the size, from `x` on; `inLine` counts from their top.
void drawDigits(const QByteArray& number, int x, int inLine, QRgb colour, QRgb* out, int width)
{
    static const char* const digits[10] = {"111101101101111", "010110010010111", "111001111100111", "111001111001111",
                                           "101101111001001", "111100111001111", "111100111101111", "111001001001001",
                                           "111101111101111", "111101111001111"};
    if (inLine < 0 || inLine >= 10) return;
    for (int i = 0; i < number.size(); ++i) {
        const char* glyph = digits[number[i] - '0'];
        for (int col = 0; col < 6; ++col) {
            const int at = x + i * 8 + col;
            if (at < width && glyph[(inLine / 2) * 3 + col / 2] == '1') out[at] = colour;
        }
    }
}

// Line n shows n in digits 5 x 7 of one-pixel strokes, in cells 6 x 13.
void drawTerminalRow(const PageSpec& page, int64_t y, QRgb* out)
{
    static const char* const digits[10] = {
        "01110100011001110101110011000101110", "00100011000010000100001000010001110",
        "01110100010000100110010001000011111", "11111000100010000010000011000101110",
        "00010001100101010010111110001000010", "11111100001111000001000011000101110",
        "00110010001000011110100011000101110", "11111000010001000100010000100001000",
        "01110100011000101110100011000101110", "01110100011000101111000010001001100"};
    std::fill(out, out + page.width, qRgb(255, 255, 255));
    constexpr int pitch = 13;
    const int inLine = int(y % pitch) - 3;
    if (inLine < 0 || inLine >= 7) return;
    const QByteArray number = QByteArray::number(qlonglong(y / pitch + 1));
    for (int i = 0; i < number.size(); ++i)
        for (int col = 0; col < 5; ++col) {
            const int x = 2 + i * 6 + col;
            if (x < page.width && digits[number[i] - '0'][inLine * 5 + col] == '1') out[x] = qRgb(0, 0, 0);
        }
}

// Line n shows n at the left.
void drawNumberRow(const PageSpec& page, int64_t y, QRgb* out)
{
    std::fill(out, out + page.width, qRgb(255, 255, 255));
    constexpr int pitch = 17;
    drawDigits(QByteArray::number(qlonglong(y / pitch + 1)), 4, int(y % pitch) - 3, qRgb(0, 0, 0), out, page.width);
}

// Every line the same message in black (one line of the text page), after
// its own five-digit id in grey: a request's (neighbours share few digits)
// or one counting up.
void drawLogRow(const PageSpec& page, int64_t y, QRgb* out, std::vector<std::pair<int64_t, TextLine>>& cache)
{
    constexpr int idWidth = 56;
    const PageSpec message{PageKind::text, std::max(1, page.width - idWidth), page.seed};
    int64_t line = 1000;
    while (layoutLine(message, line).blank) ++line;
    std::fill(out, out + idWidth, qRgb(252, 252, 252));
    drawTextRow(message, line * linePitch + y % linePitch, out + idWidth, cache);
    std::replace_if(
        out + idWidth, out + page.width, [](QRgb c) { return c != qRgb(252, 252, 252); }, qRgb(0, 0, 0));
    const int64_t at = y / linePitch;
    const QByteArray id =
        QByteArray::number(qlonglong(10000 + (page.kind == PageKind::countingLog ? at : at * 7919 % 90000)));
    drawDigits(id, 8, int(y % linePitch) - 7, qRgb(130, 130, 130), out, page.width);
}

void drawRow(const PageSpec& page, int64_t y, QRgb* out, std::vector<std::pair<int64_t, TextLine>>& cache)
{
    switch (page.kind) {
    case PageKind::text:
    case PageKind::blankGap: drawTextRow(page, y, out, cache); return;
    case PageKind::numbers: drawNumberRow(page, y, out); return;
    case PageKind::terminal: drawTerminalRow(page, y, out); return;
    case PageKind::log:
    case PageKind::countingLog: drawLogRow(page, y, out, cache); return;
    case PageKind::band:
        if (y >= page.gapFrom && y <= page.gapTo) {
            // The same line (one with ink), drawn like any other, every 40 rows.
            int64_t line = 1000;
            while (layoutLine(page, line).blank) ++line;
            const int inBand = int((y - page.gapFrom) % 40);
            drawTextRow(page, line * linePitch + (inBand < linePitch ? inBand : 0), out, cache);
            return;
        }
        drawTextRow(page, y, out, cache);
        return;
    case PageKind::table: {
        const int inRow = int(y % 30);
        for (int x = 0; x < page.width; ++x) {
            int v = inRow == 0 ? 120 : 250;
            if (x % 160 == 0) v = 120;
            if (inRow >= 10 && inRow < 20 && x % 160 > 10 && x % 160 < 90) v = ((x * 7 + inRow * 13) % 5) * 40;
            out[x] = qRgb(v, v, v);
        }
        return;
    }
    case PageKind::gradient:
        for (int x = 0; x < page.width; ++x) {
            const int v = std::clamp(int(40 + (y % 4000) / 20) + ((x / 8) % 2) * 30, 0, 255);
            out[x] = qRgb(v, v, v);
        }
        return;
    }
}

}  // namespace

QImage pageFrame(const PageSpec& page, int top, int height)
{
    QImage frame(page.width, height, QImage::Format_RGB32);
    std::vector<std::pair<int64_t, TextLine>> cache;
    for (int r = 0; r < height; ++r) drawRow(page, int64_t(top) + r, reinterpret_cast<QRgb*>(frame.scanLine(r)), cache);
    return frame;
}

QImage pageFrameGray(const PageSpec& page, int top, int height)
{
    return pageFrame(page, top, height).convertToFormat(QImage::Format_Grayscale8);
}

std::vector<int> randomTops(int pageHeight, int frameHeight, int minStep, int maxStep, uint32_t seed)
{
    QRandomGenerator rng(seed);
    std::vector<int> tops{0};
    for (;;) {
        const int next = tops.back() + minStep + int(rng.bounded(uint32_t(maxStep - minStep + 1)));
        if (next + frameHeight > pageHeight) break;
        tops.push_back(next);
    }
    return tops;
}

QImage withNoise(const QImage& frame, int amplitude, uint32_t seed)
{
    QImage out = frame.convertToFormat(QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int n = int(rng.bounded(uint32_t(2 * amplitude + 1))) - amplitude;
            row[x] = qRgb(std::clamp(qRed(row[x]) + n, 0, 255), std::clamp(qGreen(row[x]) + n, 0, 255),
                          std::clamp(qBlue(row[x]) + n, 0, 255));
        }
    }
    return out;
}

}  // namespace klipo::test
