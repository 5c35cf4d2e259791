// Reading the "ds64" chunk of RF64 and BW64 files.
#include "engine/wave/rf64_sizes.h"

namespace {

constexpr size_t SizesBytes = 3 * 8 + 4;  // three sizes and the table's length
constexpr size_t EntryBytes = 4 + 8;

uint64_t Little(const uint8_t* bytes, size_t count)
{
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value |= uint64_t(bytes[i]) << (8 * i);
    return value;
}

}  // namespace

std::optional<Ds64Sizes> ParseDs64(const uint8_t* bytes, size_t length)
{
    if (bytes == nullptr || length < SizesBytes - 4)
        return std::nullopt;
    Ds64Sizes sizes;
    sizes.RiffSize = Little(bytes, 8);
    sizes.DataSize = Little(bytes + 8, 8);
    sizes.SampleCount = Little(bytes + 16, 8);
    uint64_t entries = length >= SizesBytes ? Little(bytes + 24, 4) : 0;
    for (size_t at = SizesBytes; entries > 0 && at + EntryBytes <= length; at += EntryBytes, --entries)
        sizes.Table.emplace_back(uint32_t(Little(bytes + at, 4)), Little(bytes + at + 4, 8));
    return sizes;
}

uint64_t WideChunkSize(const Ds64Sizes& sizes, uint32_t code, uint32_t sizeField, uint32_t dataCode)
{
    if (sizeField != WideSizeMarker)
        return sizeField;
    if (code == dataCode)
        return sizes.DataSize;
    for (const auto& [tableCode, size] : sizes.Table)
        if (tableCode == code)
            return size;
    return sizeField;
}
