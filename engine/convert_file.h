// Converts one source WAVE file into a new destination WAVE file through an
// ACM conversion stream, block by block.
#pragma once
#include <windows.h>
#include "engine/codec_drivers.h"

using ConvertResult = WORD;
enum : ConvertResult { Failed = 0, Converted = 1, Aborted = 2 };

// What sets a batch's file apart from a preview's sample of a source: the
// batch's file shows its progress in the window and the tray and heeds the
// batch's abort; a sample does neither, and stops after its first bytes.
struct ConvertOptions {
    bool PartOfBatch = true;
    DWORD MaxSourceBytes = 0xFFFFFFFF;  // of the source's audio data
};

// Only the bytes of the source format are used; the destination format's
// bytes and length become the destination's "fmt " chunk. Reads BufferSize
// and LowQuality from the settings; as part of a batch, reports progress
// after every block and looks for an abort request between blocks.
// A batch passes the drivers it keeps open for its pairs of formats.
ConvertResult ConvertFile(const char* sourcePath, const void* sourceFormat, DWORD sourceFormatLength,
                          const char* destinationPath, const void* destinationFormat,
                          DWORD destinationFormatLength, CodecDrivers* drivers = nullptr,
                          const ConvertOptions& options = {});

// The flags the conversion stream is opened with: without low quality the
// codec must not trade quality for speed.
DWORD ConversionStreamOpenFlags(DWORD lowQuality);
