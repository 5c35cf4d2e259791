// A corpus of malformed and unusual WAVE files, made in memory: cut headers,
// odd and absurd chunk sizes, format chunks of every awkward length, forms
// nested and repeated, chunks in unusual orders, unusual sample formats, and
// seeded random mutations of valid files. Beside it, an independent reading
// of what a file holds by the rules of the RIFF layout, for comparison with
// what the program reads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "support/test_files.h"

struct CorpusFile {
    std::string Name;  // what the file is, for messages
    Bytes Content;
};

// The valid file the structured cases and most mutations start from:
// 16-bit PCM, mono, 22050 Hz, 3000 frames, 16-byte format chunk.
Bytes CorpusBaseWave();
Bytes CorpusBaseFormat();

// The hand-made cases.
std::vector<CorpusFile> StructuredCorpus();

// count random mutations of a few valid files; the same seed gives the same
// files.
std::vector<CorpusFile> MutatedCorpus(uint64_t seed, size_t count);

// What the RIFF rules say a file holds. A chunk is stepped over by its size
// rounded up to an even number; the "fmt " search stays within the WAVE
// form, the "data" search runs to the end of the file.
struct ExpectedReading {
    bool FormatRead = false;  // ReadSourceFormat succeeds
    Bytes Format;
    bool DataFound = false;   // OpenWaveData succeeds
    uint32_t DataSize = 0;
    size_t DataOffset = 0;    // of the first audio byte in the file
};
ExpectedReading ReadByTheRules(const Bytes& file);
