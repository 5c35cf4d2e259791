// Reading and writing the RIFF "WAVE" layout of source and destination files
// over the multimedia file services, unbuffered so every read and write goes
// straight to the file.
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/format/format_size.h"
#include "win/failure.h"
#include "win/handles.h"

// The size written into the RIFF and "data" size fields, and the sample
// count of a "fact" chunk, until the file is finished: a destination that
// was never finished is recognisable by it.
constexpr DWORD PlaceholderChunkSize = 1;

struct WaveReader {
    MmioFile File;
    DWORD DataSize = 0;       // declared size of the "data" chunk
    bool BigEndian = false;   // a RIFX file: its samples are big-endian
    bool HasFact = false;     // a "fact" chunk gives the sample count
    DWORD FactCount = 0;
};

// What adding a source learns of it besides its format.
struct SourceFacts {
    bool BigEndian = false;  // a RIFX file
    bool DataFound = false;  // a "data" chunk stands where the converter will look
    uint64_t DataSize = 0;   // its declared size, 64 bits in RF64 and BW64 files
};

struct WaveWriter {
    MmioFile File;
    MMCKINFO Riff = {};
    MMCKINFO Data = {};
    DWORD FactCountOffset = 0;  // where the "fact" chunk's sample count stands; 0 without one
    bool DataEnded = false;     // EndWaveData has run
    DWORD DataBytes = 0;        // the audio's length, once ended
};

// Where why is given, a function that fails tells there what failed.

// Reads the "fmt " chunk of a source into buffer (at least MaxFormatBytes
// bytes), in little-endian order also from a RIFX file; with facts, also
// finds its "data" chunk. The forms read are RIFF, RIFX (big-endian) and
// RF64 or BW64 (sizes in a "ds64" chunk). The file is closed again in every
// case.
bool ReadSourceFormat(const char* path, void* buffer, DWORD* length, SourceFacts* facts = nullptr,
                      Failure* why = nullptr);

// Opens a source with writing denied to others and positions it at the first
// audio byte, having read the "fact" chunk's sample count where there is one.
// Fails when the audio is more than 32-bit figures hold. On failure nothing
// stays open.
bool OpenWaveData(const char* path, WaveReader& reader, Failure* why = nullptr);

// The declared size of a source's "data" chunk, found as OpenWaveData finds
// it; the file is closed again in every case.
bool ReadDeclaredDataSize(const char* path, DWORD* size, Failure* why = nullptr);

// Creates (or truncates) a destination and writes everything up to the first
// audio byte, with placeholder sizes. With factChunk, a "fact" chunk follows
// "fmt " at once: the RIFF rules ask for one with compressed audio, and
// readers on telephone systems look for it right there. On failure the file
// is closed.
bool CreateWaveFile(const char* path, const void* format, DWORD formatLength, WaveWriter& writer,
                    bool factChunk = false, Failure* why = nullptr);

// Ends the audio where the writer stands, with the pad byte after an odd
// count; chunks that follow the audio may be written from there on. The size
// fields keep their placeholders until FinishWaveFile, so a file whose later
// chunks were cut short by a failure or an abort still shows unfinished.
bool EndWaveData(WaveWriter& writer);

// Ends the audio unless that was done, then fixes the two open sizes (the
// form ends where the writer stands) and, where there is a "fact" chunk,
// writes sampleCount (frames of the destination) into it. The caller closes
// the writer afterwards.
bool FinishWaveFile(WaveWriter& writer, DWORD sampleCount = 0, Failure* why = nullptr);
