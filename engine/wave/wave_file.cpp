// RIFF "WAVE" reading and writing.
#include "engine/wave/wave_file.h"
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

// mmioOpenA takes a writable name; a private copy also bounds the path.
bool CopyPath(const char* path, char (&buffer)[MAX_PATH])
{
    if (path == nullptr)
        return false;
    size_t length = strnlen(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    memcpy(buffer, path, length + 1);
    return true;
}

// Finds a chunk from the current position on, stepping over the others by
// their size rounded up to an even number, and leaves the position at its
// data (for a RIFF form: behind the form type). With a parent the search
// ends at the end of the parent's data; without one, at the end of the file.
//
// The search is made here, one mmioDescend per chunk, rather than with
// MMIO_FINDCHUNK or MMIO_FINDRIFF: the platform's own search steps in 32-bit
// arithmetic and goes on after a seek that failed, so a size field near 4 GB
// wraps the step back onto an earlier chunk and the search never ends, and a
// size beyond 2 GB makes it go on from wherever the failed seek left it, in
// the middle of a chunk. Its bound by a parent is looked at only before the
// first chunk, and in 32 bits: the search runs on past the end of the form,
// and a form whose size field is near 4 GB seems to end before its first
// chunk. Here every step is computed in 64 bits and must
// stay where a seek can reach; it always goes forward, so the search ends.
bool FindChunk(HMMIO file, MMCKINFO& chunk, const MMCKINFO* parent, FOURCC id, FOURCC formType)
{
    LONG position = mmioSeek(file, 0, SEEK_CUR);
    const uint64_t end = parent != nullptr ? uint64_t(parent->dwDataOffset) + parent->cksize : UINT64_MAX;
    while (position != -1 && uint64_t(position) < end) {
        chunk = {};
        if (mmioDescend(file, &chunk, nullptr, 0) != 0)
            return false;
        if (chunk.ckid == id && (formType == 0 || chunk.fccType == formType))
            return true;
        uint64_t next = uint64_t(chunk.dwDataOffset) + ((uint64_t(chunk.cksize) + 1) & ~uint64_t(1));
        if (next > uint64_t(LONG_MAX))
            return false;
        position = mmioSeek(file, LONG(next), SEEK_SET);
    }
    return false;
}

// Opens a source with writing denied to others and finds the RIFF form of
// type "WAVE" among its top-level chunks; an empty owner on failure.
MmioFile OpenWaveForm(const char* path, MMCKINFO& form)
{
    char name[MAX_PATH];
    if (!CopyPath(path, name))
        return MmioFile();
    MmioFile file(mmioOpenA(name, nullptr, MMIO_READ | MMIO_DENYWRITE));
    if (!file)
        return file;
    if (!FindChunk(file.Get(), form, nullptr, mmioStringToFOURCCA("RIFF", 0), mmioStringToFOURCCA("WAVE", 0)))
        return MmioFile();
    return file;
}

// Writes the zero pad byte that follows chunk data of odd length, then steps
// back so the chunk's own size still ends before it. Ascending relies on the
// pad being there only when it rewrites the size, which it skips when the
// size given at creation was already right.
bool WritePadByteIfOdd(HMMIO file, DWORD length)
{
    if ((length & 1) == 0)
        return true;
    char pad = 0;
    if (mmioWrite(file, &pad, 1) != 1)
        return false;
    return mmioSeek(file, -1, SEEK_CUR) != -1;
}

// A "fact" chunk holding the placeholder sample count; offset is where the
// count stands, for FinishWaveFile.
bool WriteFactChunk(HMMIO file, DWORD& offset)
{
    MMCKINFO fact = {};
    fact.ckid = mmioStringToFOURCCA("fact", 0);
    fact.cksize = sizeof(DWORD);
    if (mmioCreateChunk(file, &fact, 0) != 0)
        return false;
    const DWORD placeholder = PlaceholderChunkSize;
    if (mmioWrite(file, reinterpret_cast<const char*>(&placeholder), sizeof(placeholder)) != sizeof(placeholder))
        return false;
    offset = fact.dwDataOffset;
    return mmioAscend(file, &fact, 0) == 0;
}

// Rewrites the 32-bit field at offset, one of the size fields near the start
// of the file.
bool WriteField(HMMIO file, DWORD offset, DWORD value)
{
    return mmioSeek(file, LONG(offset), SEEK_SET) != -1 &&
           mmioWrite(file, reinterpret_cast<const char*>(&value), sizeof(value)) == sizeof(value);
}

}  // namespace

bool ReadSourceFormat(const char* path, void* buffer, DWORD* length)
{
    MMCKINFO form;
    MmioFile file = OpenWaveForm(path, form);
    if (!file)
        return false;

    // The search ends at the end of the form.
    MMCKINFO format;
    if (!FindChunk(file.Get(), format, &form, mmioStringToFOURCCA("fmt ", 0), 0))
        return false;
    // Checked before anything is read, so the buffer can never overflow.
    if (format.cksize > MaxFormatBytes)
        return false;
    if (mmioRead(file.Get(), static_cast<HPSTR>(buffer), LONG(format.cksize)) != LONG(format.cksize))
        return false;

    *length = format.cksize;
    return true;
}

bool OpenWaveData(const char* path, WaveReader& reader)
{
    MMCKINFO form;
    MmioFile file = OpenWaveForm(path, form);
    if (!file)
        return false;

    // No parent: the search is bounded by the end of the file, so a "data"
    // chunk is found wherever it stands behind the form type.
    MMCKINFO data;
    if (!FindChunk(file.Get(), data, nullptr, mmioStringToFOURCCA("data", 0), 0))
        return false;

    reader.File = std::move(file);
    reader.DataSize = data.cksize;
    return true;
}

bool ReadDeclaredDataSize(const char* path, DWORD* size)
{
    WaveReader reader;
    if (!OpenWaveData(path, reader))
        return false;
    *size = reader.DataSize;
    return true;
}

bool CreateWaveFile(const char* path, const void* format, DWORD formatLength, WaveWriter& writer, bool factChunk)
{
    char name[MAX_PATH];
    if (!CopyPath(path, name))
        return false;
    MmioFile file(mmioOpenA(name, nullptr, MMIO_CREATE | MMIO_EXCLUSIVE | MMIO_WRITE));
    if (!file)
        return false;

    MMCKINFO riff = {};
    riff.fccType = mmioStringToFOURCCA("WAVE", 0);
    riff.cksize = PlaceholderChunkSize;
    if (mmioCreateChunk(file.Get(), &riff, MMIO_CREATERIFF) != 0)
        return false;

    MMCKINFO fmt = {};
    fmt.ckid = mmioStringToFOURCCA("fmt ", 0);
    fmt.cksize = formatLength;
    if (mmioCreateChunk(file.Get(), &fmt, 0) != 0)
        return false;
    if (mmioWrite(file.Get(), static_cast<const char*>(format), LONG(formatLength)) != LONG(formatLength))
        return false;
    if (!WritePadByteIfOdd(file.Get(), formatLength))
        return false;
    if (mmioAscend(file.Get(), &fmt, 0) != 0)
        return false;
    DWORD factCountOffset = 0;
    if (factChunk && !WriteFactChunk(file.Get(), factCountOffset))
        return false;

    MMCKINFO data = {};
    data.ckid = mmioStringToFOURCCA("data", 0);
    data.cksize = PlaceholderChunkSize;
    if (mmioCreateChunk(file.Get(), &data, 0) != 0)
        return false;

    writer.File = std::move(file);
    writer.Riff = riff;
    writer.Data = data;
    writer.FactCountOffset = factCountOffset;
    return true;
}

bool EndWaveData(WaveWriter& writer)
{
    HMMIO file = writer.File.Get();
    // Positions up to 4 GB come back as the bits of a LONG.
    LONG position = mmioSeek(file, 0, SEEK_CUR);
    if (position == -1 || DWORD(position) < writer.Data.dwDataOffset)
        return false;
    const DWORD length = DWORD(position) - writer.Data.dwDataOffset;
    char pad = 0;
    if ((length & 1) != 0 && mmioWrite(file, &pad, 1) != 1)
        return false;
    writer.DataBytes = length;
    writer.DataEnded = true;
    return true;
}

bool FinishWaveFile(WaveWriter& writer, DWORD sampleCount)
{
    HMMIO file = writer.File.Get();
    if (!writer.DataEnded && !EndWaveData(writer))
        return false;
    LONG end = mmioSeek(file, 0, SEEK_CUR);
    if (end == -1 || DWORD(end) < writer.Riff.dwDataOffset)
        return false;
    // The sizes in the order of the file; the count last: until here its
    // placeholder marks the file unfinished.
    const DWORD formSize = DWORD(end) - writer.Riff.dwDataOffset;
    return WriteField(file, writer.Data.dwDataOffset - sizeof(DWORD), writer.DataBytes) &&
           WriteField(file, writer.Riff.dwDataOffset - sizeof(DWORD), formSize) &&
           (writer.FactCountOffset == 0 || WriteField(file, writer.FactCountOffset, sampleCount));
}
