#include "platform/text/LineLooks.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace klipo::platform {

LineScript scriptOf(const QImage& gray, const QRect& r, int background)
{
    std::vector<long> ink(size_t(r.height()), 0);
    long most = 0;
    int inkColumns = 0;
    std::vector<char> column(size_t(r.width()), 0);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        long n = 0;
        for (int x = r.left(); x <= r.right(); ++x) {
            if (std::abs(int(row[x]) - background) > 60) {
                ++n;
                column[size_t(x - r.left())] = 1;
            }
        }
        ink[size_t(y - r.top())] = n;
        most = std::max(most, n);
    }
    for (char c : column) inkColumns += c;
    // A few characters say too little about their script.
    if (most == 0 || inkColumns * 2 < 3 * r.height()) return LineScript::Unknown;
    size_t first = 0;
    size_t last = ink.size();
    while (first < ink.size() && ink[first] * 50 < most) ++first;
    while (last > first && ink[last - 1] * 50 < most) --last;
    const size_t height = last - first;
    if (height < 6) return LineScript::Unknown;
    const size_t topZone = first + std::max<size_t>(1, height * 3 / 10);
    long topInk = 0;
    long inside = 0;
    for (size_t i = first; i < last; ++i) {
        inside += ink[i];
        if (i < topZone) topInk += ink[i];
    }
    // The fewest rows that hold 70 % of the ink: Latin keeps most of it
    // between the baseline and the x-height, about half the line.
    size_t core = height;
    for (size_t a = first; a < last; ++a) {
        long sum = 0;
        for (size_t b = a; b < last; ++b) {
            sum += ink[b];
            if (sum * 10 >= inside * 7) {
                core = std::min(core, b - a + 1);
                break;
            }
        }
    }
    // Square scripts: ink spread over the whole height (more than 62 % of it
    // for 70 % of the ink) and close to a third of it in the top 30 %; Latin
    // has its ascenders alone up there.
    return core * 100 >= height * 62 && topInk * 100 >= inside * 18 ? LineScript::Han : LineScript::Latin;
}

void coloursOf(const QImage& gray, const QRect& r, int& background, int& ink)
{
    int counts[256] = {};
    const QRect area = r.adjusted(-2, -2, 2, 2).intersected(gray.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) ++counts[row[x]];
    }
    // The most common shade, counted in bands of eight grey values: a
    // gradient (a button, a table header) spreads its pixels over many values.
    int bands[32] = {};
    for (int v = 0; v < 256; ++v) bands[v / 8] += counts[v];
    const int band = int(std::max_element(std::begin(bands), std::end(bands)) - std::begin(bands));
    background = int(std::max_element(counts + band * 8, counts + band * 8 + 8) - counts);
    // The ink: the far end of what differs from the background (the darker
    // or the lighter side, whichever holds more of it).
    long darker = 0;
    long lighter = 0;
    for (int v = 0; v < 256; ++v) {
        if (v < background - 40) darker += counts[v];
        if (v > background + 40) lighter += counts[v];
    }
    const bool dark = darker >= lighter;
    const long wanted = std::max(1L, (dark ? darker : lighter) / 5);
    long seen = 0;
    ink = dark ? 0 : 255;
    if (dark) {
        for (int v = 0; v < background - 40; ++v)
            if ((seen += counts[v]) >= wanted) {
                ink = v;
                break;
            }
    } else {
        for (int v = 255; v > background + 40; --v)
            if ((seen += counts[v]) >= wanted) {
                ink = v;
                break;
            }
    }
    if (darker == 0 && lighter == 0) ink = background < 128 ? 255 : 0;
}

}  // namespace klipo::platform
