// The 64-bit sizes of RF64 and BW64 files (the form that recorders write
// past 4 GB): a "ds64" chunk, first in the form, holds the sizes of the form,
// of the "data" chunk and of any other chunk whose 32-bit size field holds
// 0xFFFFFFFF. No window headers here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// What a 32-bit size field holds when the "ds64" chunk has the size.
constexpr uint32_t WideSizeMarker = 0xFFFFFFFFu;

struct Ds64Sizes {
    uint64_t RiffSize = 0;
    uint64_t DataSize = 0;
    uint64_t SampleCount = 0;
    std::vector<std::pair<uint32_t, uint64_t>> Table;  // chunk code, size
};

// Reads the data of a "ds64" chunk (little-endian); nothing when it is too
// short for its three sizes. Table entries beyond the bytes given are left
// out.
std::optional<Ds64Sizes> ParseDs64(const uint8_t* bytes, size_t length);

// The size of a chunk of an RF64 form: sizeField, or where it holds
// WideSizeMarker, the "ds64" chunk's size for the chunk (the data size for
// "data", given as dataCode).
uint64_t WideChunkSize(const Ds64Sizes& sizes, uint32_t code, uint32_t sizeField, uint32_t dataCode);
