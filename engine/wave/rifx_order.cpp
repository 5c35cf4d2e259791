// Big-endian RIFX format fields and samples in little-endian order.
#include "engine/wave/rifx_order.h"
#include <algorithm>

namespace {

constexpr size_t ExtensibleBytes = 40;
constexpr uint16_t TagExtensible = 0xFFFE;

void Reverse(uint8_t* format, size_t length, size_t offset, size_t width)
{
    if (offset + width <= length)
        std::reverse(format + offset, format + offset + width);
}

}  // namespace

void SwapFormatFields(uint8_t* format, size_t length)
{
    if (format == nullptr)
        return;
    // tag, channels, rate, byte rate, block alignment, bits, extra byte count
    const size_t fields[][2] = {{0, 2}, {2, 2}, {4, 4}, {8, 4}, {12, 2}, {14, 2}, {16, 2}};
    for (const auto& field : fields)
        Reverse(format, length, field[0], field[1]);
    if (length < ExtensibleBytes || (format[0] | format[1] << 8) != TagExtensible)
        return;
    // valid bits, channel mask, then the GUID's first three fields
    const size_t extensible[][2] = {{18, 2}, {20, 4}, {24, 4}, {28, 2}, {30, 2}};
    for (const auto& field : extensible)
        Reverse(format, length, field[0], field[1]);
}

void SwapSampleBytes(uint8_t* bytes, size_t count, unsigned width)
{
    if (bytes == nullptr || width < 2)
        return;
    for (size_t at = 0; at + width <= count; at += width)
        std::reverse(bytes + at, bytes + at + width);
}
