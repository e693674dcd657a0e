#include "scroll/SmallFrame.h"

#include <cmath>

namespace klipo::stitch {

namespace {

template <typename Cell>
void sumCells(const GrayFrame& gray, int ds, int width, int height, int stride, std::vector<Cell>& cells)
{
    cells.assign(std::size_t(stride) * std::size_t(height), 0);
    std::vector<uint32_t> columns(std::size_t(width) * std::size_t(ds));
    for (int y = 0; y < height; ++y) {
        std::fill(columns.begin(), columns.end(), 0u);
        for (int j = 0; j < ds; ++j) {
            const uint8_t* line = gray.row(y * ds + j);
            for (std::size_t x = 0; x < columns.size(); ++x) columns[x] += line[x];
        }
        Cell* out = cells.data() + std::size_t(y) * std::size_t(stride);
        for (int x = 0; x < width; ++x) {
            uint32_t sum = 0;
            for (int i = 0; i < ds; ++i) sum += columns[std::size_t(x) * std::size_t(ds) + std::size_t(i)];
            out[x] = Cell(sum);
        }
    }
}

template <typename Cell>
double stdOf(const Cell* cells, int width, int height, int stride, double area)
{
    const double n = double(width) * double(height);
    if (n <= 0) return 0;
    uint64_t total = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) total += cells[std::size_t(y) * std::size_t(stride) + std::size_t(x)];
    const double mean = double(total) / n / area;
    double squares = 0;
    for (int y = 0; y < height; ++y) {
        const Cell* line = cells + std::size_t(y) * std::size_t(stride);
        for (int x = 0; x < width; ++x) {
            const double dev = double(line[x]) / area - mean;
            squares += dev * dev;
        }
    }
    return std::sqrt(squares / n);
}

}  // namespace

int downsampleFactor(int width) { return width + 319 < 320 ? 1 : (width + 319) / 320; }

SmallFrame downsample(const GrayFrame& gray, int ds)
{
    SmallFrame small;
    small.ds = ds;
    small.width = gray.width / ds;
    small.height = gray.height / ds;
    if (ds == 1) {
        small.stride = gray.stride;
        small.bytes = gray.pixels;
        return small;
    }
    // Padded to 16 bytes: 8 words, or 4 wide cells.
    small.stride = ds <= 16 ? (small.width + 7) & ~7 : (small.width + 3) & ~3;
    if (ds <= 16)
        sumCells(gray, ds, small.width, small.height, small.stride, small.words);
    else
        sumCells(gray, ds, small.width, small.height, small.stride, small.wide);
    return small;
}

double cellStd(const SmallFrame& small)
{
    const double area = small.cellArea();
    if (small.ds == 1) return stdOf(small.bytes.data(), small.width, small.height, small.stride, area);
    if (small.ds <= 16) return stdOf(small.words.data(), small.width, small.height, small.stride, area);
    return stdOf(small.wide.data(), small.width, small.height, small.stride, area);
}

}  // namespace klipo::stitch
