// RIFF "WAVE" reading and writing.
#include "engine/wave/wave_file.h"
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include "engine/wave/rf64_sizes.h"
#include "engine/wave/rifx_order.h"

namespace {
// What a source that is no WAVE file, or whose chunks cannot be found, is told as.
constexpr Failure NotWave = {FailureCause::Reading, ERROR_BAD_FORMAT};
}  // namespace

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

// Why a file that mmioOpenA could not open cannot be opened: the multimedia
// services leave no code of their own failure behind (their clean-up
// overwrites it), so the file system is asked again, the same way. A
// destination that does not exist is tried as a new file removed again at
// once, so nothing is left behind.
Failure OpenFailure(const char* name, FailureCause cause)
{
    HANDLE probe = INVALID_HANDLE_VALUE;
    if (cause == FailureCause::OpeningSource)
        probe = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    else if (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES)
        probe = CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    else
        probe = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return LastErrorFailure(cause);
    CloseHandle(probe);
    return {cause, ERROR_OPEN_FAILED};
}

// The form a source's audio stands in: RIFF, its big-endian twin RIFX, or
// RF64 and BW64, whose sizes past 4 GB a "ds64" chunk holds.
struct SourceForm {
    bool BigEndian = false;
    bool Wide = false;
    Ds64Sizes Sizes;
    DWORD FirstChunk = 0;  // the first sub-chunk, behind the form type
    uint64_t End = 0;      // where the form's data ends
};

// A chunk's header as read: its code, its size (the "ds64" chunk's where
// the form is wide) and where its data begins.
struct FoundChunk {
    FOURCC Id = 0;
    uint64_t Size = 0;
    DWORD DataOffset = 0;
};

FOURCC Code(const char* text) { return mmioStringToFOURCCA(text, 0); }

DWORD SizeField(const BYTE* bytes, bool bigEndian)
{
    return bigEndian ? DWORD(bytes[0]) << 24 | DWORD(bytes[1]) << 16 | DWORD(bytes[2]) << 8 | bytes[3]
                     : DWORD(bytes[0]) | DWORD(bytes[1]) << 8 | DWORD(bytes[2]) << 16 | DWORD(bytes[3]) << 24;
}

// Reads the chunk header at the current position; the position is then at
// its data.
bool ReadChunkHeader(HMMIO file, const SourceForm& form, FoundChunk& chunk)
{
    LONG at = mmioSeek(file, 0, SEEK_CUR);
    BYTE header[8];
    if (at == -1 || mmioRead(file, reinterpret_cast<HPSTR>(header), sizeof(header)) != LONG(sizeof(header)))
        return false;
    memcpy(&chunk.Id, header, sizeof(chunk.Id));
    DWORD size = SizeField(header + 4, form.BigEndian);
    chunk.Size = form.Wide ? WideChunkSize(form.Sizes, chunk.Id, size, Code("data")) : size;
    chunk.DataOffset = DWORD(at) + sizeof(header);
    return true;
}

// Finds a chunk from the current position on, stepping over the others by
// their size rounded up to an even number, and leaves the position at its
// data. The search ends at end.
//
// The search is made here, one header at a time, rather than with
// mmioDescend and MMIO_FINDCHUNK: the platform's own search steps in 32-bit
// arithmetic and goes on after a seek that failed, so a size field near 4 GB
// wraps the step back onto an earlier chunk and the search never ends, and it
// reads sizes in little-endian order only. Here every step is computed in 64
// bits and must stay where a seek can reach; it always goes forward, so the
// search ends.
bool FindChunk(HMMIO file, const SourceForm& form, uint64_t end, FOURCC id, FoundChunk& chunk)
{
    LONG position = mmioSeek(file, 0, SEEK_CUR);
    while (position != -1 && uint64_t(position) < end) {
        if (!ReadChunkHeader(file, form, chunk))
            return false;
        if (chunk.Id == id)
            return true;
        uint64_t next = uint64_t(chunk.DataOffset) + ((chunk.Size + 1) & ~uint64_t(1));
        if (next > uint64_t(LONG_MAX))
            return false;
        position = mmioSeek(file, LONG(next), SEEK_SET);
    }
    return false;
}

// The sizes of an RF64 or BW64 form from its "ds64" chunk, which comes
// first; the position is then back at the form's first chunk.
bool ReadWideSizes(HMMIO file, SourceForm& form)
{
    FoundChunk ds64;
    BYTE bytes[MaxFormatBytes];
    form.Wide = false;  // the "ds64" chunk's own size is a 32-bit one
    if (!ReadChunkHeader(file, form, ds64) || ds64.Id != Code("ds64"))
        return false;
    LONG length = LONG(ds64.Size < sizeof(bytes) ? ds64.Size : sizeof(bytes));
    std::optional<Ds64Sizes> sizes;
    if (mmioRead(file, reinterpret_cast<HPSTR>(bytes), length) != length || !(sizes = ParseDs64(bytes, size_t(length))))
        return false;
    form.Sizes = std::move(*sizes);
    form.Wide = true;
    form.End = uint64_t(form.FirstChunk) + form.Sizes.RiffSize - 4;
    return mmioSeek(file, LONG(form.FirstChunk), SEEK_SET) != -1;
}

// Whether a top-level chunk is a WAVE form the reader takes, and which.
bool TakeForm(HMMIO file, const BYTE (&header)[12], SourceForm& form)
{
    FOURCC id, type;
    memcpy(&id, header, 4);
    memcpy(&type, header + 8, 4);
    if (type != Code("WAVE"))
        return false;
    form.BigEndian = id == Code("RIFX");
    DWORD size = SizeField(header + 4, form.BigEndian);
    form.End = uint64_t(form.FirstChunk) + size - 4;
    if (id == Code("RIFF") || id == Code("RIFX"))
        return true;
    return (id == Code("RF64") || id == Code("BW64")) && ReadWideSizes(file, form);
}

// Opens a source with writing denied to others and finds the WAVE form
// among its top-level chunks, the position at its first sub-chunk; an
// empty owner on failure.
MmioFile OpenWaveForm(const char* path, SourceForm& form, Failure* why)
{
    char name[MAX_PATH];
    if (!CopyPath(path, name))
        return Tell(why, {FailureCause::OpeningSource, ERROR_FILENAME_EXCED_RANGE}), MmioFile();
    MmioFile file(mmioOpenA(name, nullptr, MMIO_READ | MMIO_DENYWRITE));
    if (!file)
        return Tell(why, OpenFailure(name, FailureCause::OpeningSource)), MmioFile();
    for (LONG at = 0; at != -1;) {
        BYTE header[12];
        if (mmioRead(file.Get(), reinterpret_cast<HPSTR>(header), sizeof(header)) != LONG(sizeof(header)))
            break;
        form.FirstChunk = DWORD(at) + sizeof(header);
        if (TakeForm(file.Get(), header, form))
            return file;
        uint64_t next = uint64_t(at) + 8 + ((uint64_t(SizeField(header + 4, false)) + 1) & ~uint64_t(1));
        at = next > uint64_t(LONG_MAX) ? -1 : mmioSeek(file.Get(), LONG(next), SEEK_SET);
    }
    return Tell(why, NotWave), MmioFile();
}

// The sample count of the form's "fact" chunk, when it has one; the
// position is back at the form's first chunk.
bool ReadFactCount(HMMIO file, const SourceForm& form, DWORD* count)
{
    FoundChunk fact;
    BYTE bytes[4];
    bool found = FindChunk(file, form, form.End, Code("fact"), fact) && fact.Size >= sizeof(bytes) &&
                 mmioRead(file, reinterpret_cast<HPSTR>(bytes), sizeof(bytes)) == LONG(sizeof(bytes));
    if (found)
        *count = SizeField(bytes, form.BigEndian);
    return mmioSeek(file, LONG(form.FirstChunk), SEEK_SET) != -1 && found;
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

// Everything of a new destination up to its first audio byte.
bool WriteWaveHead(HMMIO file, const void* format, DWORD formatLength, WaveWriter& writer, bool factChunk)
{
    MMCKINFO riff = {};
    riff.fccType = mmioStringToFOURCCA("WAVE", 0);
    riff.cksize = PlaceholderChunkSize;
    if (mmioCreateChunk(file, &riff, MMIO_CREATERIFF) != 0)
        return false;

    MMCKINFO fmt = {};
    fmt.ckid = mmioStringToFOURCCA("fmt ", 0);
    fmt.cksize = formatLength;
    if (mmioCreateChunk(file, &fmt, 0) != 0)
        return false;
    if (mmioWrite(file, static_cast<const char*>(format), LONG(formatLength)) != LONG(formatLength))
        return false;
    if (!WritePadByteIfOdd(file, formatLength))
        return false;
    if (mmioAscend(file, &fmt, 0) != 0)
        return false;
    DWORD factCountOffset = 0;
    if (factChunk && !WriteFactChunk(file, factCountOffset))
        return false;

    MMCKINFO data = {};
    data.ckid = mmioStringToFOURCCA("data", 0);
    data.cksize = PlaceholderChunkSize;
    if (mmioCreateChunk(file, &data, 0) != 0)
        return false;

    writer.Riff = riff;
    writer.Data = data;
    writer.FactCountOffset = factCountOffset;
    return true;
}

// Rewrites the 32-bit field at offset, one of the size fields near the start
// of the file.
bool WriteField(HMMIO file, DWORD offset, DWORD value)
{
    return mmioSeek(file, LONG(offset), SEEK_SET) != -1 &&
           mmioWrite(file, reinterpret_cast<const char*>(&value), sizeof(value)) == sizeof(value);
}

// The two open sizes and the "fact" chunk's count, once the audio ended.
bool FinishSizes(WaveWriter& writer, DWORD sampleCount)
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
}  // namespace

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

bool ReadSourceFormat(const char* path, void* buffer, DWORD* length, SourceFacts* facts, Failure* why)
{
    SourceForm form;
    MmioFile file = OpenWaveForm(path, form, why);
    if (!file)
        return false;

    // The search ends at the end of the form.
    FoundChunk format;
    if (!FindChunk(file.Get(), form, form.End, Code("fmt "), format))
        return Tell(why, NotWave), false;
    // Checked before anything is read, so the buffer can never overflow.
    if (format.Size > MaxFormatBytes)
        return Tell(why, NotWave), false;
    if (mmioRead(file.Get(), static_cast<HPSTR>(buffer), LONG(format.Size)) != LONG(format.Size))
        return Tell(why, LastErrorFailure(FailureCause::Reading)), false;
    if (form.BigEndian)
        SwapFormatFields(static_cast<uint8_t*>(buffer), format.Size);
    *length = DWORD(format.Size);
    if (facts == nullptr)
        return true;
    // The "data" chunk as the converter will look for it: from the first
    // chunk on, bounded by the end of the file only.
    *facts = SourceFacts();
    facts->BigEndian = form.BigEndian;
    FoundChunk data;
    facts->DataFound = mmioSeek(file.Get(), LONG(form.FirstChunk), SEEK_SET) != -1 &&
                       FindChunk(file.Get(), form, UINT64_MAX, Code("data"), data);
    facts->DataSize = facts->DataFound ? data.Size : 0;
    return true;
}

bool OpenWaveData(const char* path, WaveReader& reader, Failure* why)
{
    SourceForm form;
    MmioFile file = OpenWaveForm(path, form, why);
    if (!file)
        return false;
    DWORD factCount = 0;
    bool fact = ReadFactCount(file.Get(), form, &factCount);

    // No bound but the file's end, so a "data" chunk is found wherever it
    // stands behind the form type. Audio beyond 32-bit figures is refused.
    FoundChunk data;
    if (!FindChunk(file.Get(), form, UINT64_MAX, Code("data"), data) || data.Size > 0xFFFFFFFFu)
        return Tell(why, NotWave), false;

    reader.File = std::move(file);
    reader.DataSize = DWORD(data.Size);
    reader.BigEndian = form.BigEndian;
    reader.HasFact = fact;
    reader.FactCount = factCount;
    return true;
}

bool ReadDeclaredDataSize(const char* path, DWORD* size, Failure* why)
{
    WaveReader reader;
    if (!OpenWaveData(path, reader, why))
        return false;
    *size = reader.DataSize;
    return true;
}

bool CreateWaveFile(const char* path, const void* format, DWORD formatLength, WaveWriter& writer, bool factChunk,
                    Failure* why)
{
    char name[MAX_PATH];
    if (!CopyPath(path, name))
        return Tell(why, {FailureCause::CreatingDestination, ERROR_FILENAME_EXCED_RANGE}), false;
    MmioFile file(mmioOpenA(name, nullptr, MMIO_CREATE | MMIO_EXCLUSIVE | MMIO_WRITE));
    if (!file)
        return Tell(why, OpenFailure(name, FailureCause::CreatingDestination)), false;
    SetLastError(ERROR_SUCCESS);
    if (!WriteWaveHead(file.Get(), format, formatLength, writer, factChunk))
        return Tell(why, LastErrorFailure(FailureCause::Writing)), false;
    writer.File = std::move(file);
    return true;
}

bool FinishWaveFile(WaveWriter& writer, DWORD sampleCount, Failure* why)
{
    SetLastError(ERROR_SUCCESS);
    if (!FinishSizes(writer, sampleCount))
        return Tell(why, LastErrorFailure(FailureCause::Writing)), false;
    return true;
}
