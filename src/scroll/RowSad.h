#pragma once

#include <cstdint>

namespace klipo::stitch {

// Sums of absolute differences of two rows. The byte and word forms take
// lengths padded to 16 bytes (16 bytes or 8 words per step).
uint64_t rowSad(const uint8_t* a, const uint8_t* b, int paddedLength);
uint64_t rowSad(const uint16_t* a, const uint16_t* b, int paddedLength);
uint64_t rowSad(const uint32_t* a, const uint32_t* b, int length);

// The sum of rowSad over `rows` rows of two images sharing one stride.
template <typename Cell>
uint64_t blockSad(const Cell* a, const Cell* b, int stride, int rows)
{
    uint64_t sum = 0;
    for (int r = 0; r < rows; ++r) sum += rowSad(a + std::int64_t(r) * stride, b + std::int64_t(r) * stride, stride);
    return sum;
}

}  // namespace klipo::stitch
