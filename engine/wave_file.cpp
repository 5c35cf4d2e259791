// RIFF "WAVE" reading and writing.
#include "engine/wave_file.h"
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
    form = {};
    form.fccType = mmioStringToFOURCCA("WAVE", 0);
    if (mmioDescend(file.Get(), &form, nullptr, MMIO_FINDRIFF) != 0)
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

}  // namespace

bool ReadSourceFormat(const char* path, void* buffer, DWORD* length)
{
    MMCKINFO form;
    MmioFile file = OpenWaveForm(path, form);
    if (!file)
        return false;

    MMCKINFO format = {};
    format.ckid = mmioStringToFOURCCA("fmt ", 0);
    if (mmioDescend(file.Get(), &format, &form, MMIO_FINDCHUNK) != 0)
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
    MMCKINFO data = {};
    data.ckid = mmioStringToFOURCCA("data", 0);
    if (mmioDescend(file.Get(), &data, nullptr, MMIO_FINDCHUNK) != 0)
        return false;

    reader.File = std::move(file);
    reader.DataSize = data.cksize;
    return true;
}

bool CreateWaveFile(const char* path, const void* format, DWORD formatLength, WaveWriter& writer)
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

    MMCKINFO data = {};
    data.ckid = mmioStringToFOURCCA("data", 0);
    data.cksize = PlaceholderChunkSize;
    if (mmioCreateChunk(file.Get(), &data, 0) != 0)
        return false;

    writer.File = std::move(file);
    writer.Riff = riff;
    writer.Data = data;
    return true;
}

bool FinishWaveFile(WaveWriter& writer)
{
    HMMIO file = writer.File.Get();
    LONG position = mmioSeek(file, 0, SEEK_CUR);
    if (position == -1 || DWORD(position) < writer.Data.dwDataOffset)
        return false;
    if (!WritePadByteIfOdd(file, DWORD(position) - writer.Data.dwDataOffset))
        return false;
    if (mmioAscend(file, &writer.Data, 0) != 0)
        return false;
    return mmioAscend(file, &writer.Riff, 0) == 0;
}
