// RIFX files: the RIFF layout in big-endian byte order, as some Unix and
// Mac tools write it. Their sizes, format fields and PCM or float samples
// are turned into the little-endian order everything else reads. No window
// headers here.
#pragma once
#include <cstddef>
#include <cstdint>

// Turns the fields of a big-endian "fmt " chunk of length bytes into
// little-endian order: the WAVEFORMATEX fields, and for
// WAVE_FORMAT_EXTENSIBLE its valid bits, channel mask and the GUID's
// numeric parts. Extra bytes of other tags are left as they are.
void SwapFormatFields(uint8_t* format, size_t length);

// Reverses the bytes of each whole sample of width bytes (2 to 8) in
// count bytes; a width of 1 changes nothing.
void SwapSampleBytes(uint8_t* bytes, size_t count, unsigned width);
