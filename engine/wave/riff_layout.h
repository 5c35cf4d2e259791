// The arithmetic of a destination's RIFF layout: the "fmt " chunk with its
// pad byte, the "fact" chunk that compressed audio carries, the "data" chunk
// with its pad byte, and the 32-bit size field of the whole form that bounds
// them. No window headers here.
#pragma once
#include <cstdint>

// The largest value of a RIFF size field.
constexpr uint64_t MaxRiffSize = 0xFFFFFFFFu;

// A "fact" chunk: its header and the one 32-bit sample count it holds.
constexpr uint64_t FactChunkBytes = 12;

// The RIFF form's size field for a format of formatLength bytes and
// audioBytes of audio: the form type, the chunk headers, the chunks' data
// and their pad bytes, and the "fact" chunk when there is one.
uint64_t RiffFormSize(uint64_t formatLength, uint64_t audioBytes, bool factChunk = false);

// The most audio bytes a destination with this format can hold before its
// RIFF size would pass MaxRiffSize; 0 when not even the format fits.
uint64_t MaxAudioBytes(uint64_t formatLength, bool factChunk = false);
