// Finding and reading the chunks of a source.
#include "engine/wave/source_chunks.h"

namespace {

constexpr uint32_t RiffCode = 0x46464952;  // "RIFF"
constexpr uint32_t WaveCode = 0x45564157;  // "WAVE"
constexpr uint32_t ListCode = 0x5453494C;  // "LIST"

}  // namespace

bool SourceChunks::Open(const char* path)
{
    HANDLE opened = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    file_.Attach(opened);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.Get(), &size))
        return false;
    size_ = uint64_t(size.QuadPart);
    return true;
}

bool SourceChunks::ReadAt(uint64_t offset, void* buffer, DWORD count)
{
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(offset);
    DWORD read = 0;
    return SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN) &&
           ReadFile(file_.Get(), buffer, count, &read, nullptr) && read == count;
}

// The header of the chunk at offset, with a list's form type; false when
// the file ends before it.
bool SourceChunks::ReadHeader(uint64_t offset, SourceChunk& chunk)
{
    uint32_t header[3] = {};
    if (offset + 8 > size_ || !ReadAt(offset, header, 8))
        return false;
    chunk = {header[0], 0, offset + 8, header[1]};
    if ((chunk.Id == ListCode || chunk.Id == RiffCode) && chunk.Size >= 4 && ReadAt(chunk.Offset, header + 2, 4))
        chunk.ListType = header[2];
    return true;
}

std::vector<SourceChunk> SourceChunks::List()
{
    std::vector<SourceChunk> chunks;
    // The form is looked for as the reader of the audio looks for it: among
    // the top-level chunks, from the start of the file.
    SourceChunk form;
    for (uint64_t at = 0; form.Id != RiffCode || form.ListType != WaveCode; at = NextChunkAt(form.Offset, form.Size))
        if (!ReadHeader(at, form))
            return chunks;
    // A form whose size claims more than the file holds (a writer that never
    // came back to it) ends with the file.
    const uint64_t formEnd = form.Offset + form.Size, end = formEnd < size_ ? formEnd : size_;
    SourceChunk chunk;
    for (uint64_t at = form.Offset + 4; ReadHeader(at, chunk) && chunk.Offset + chunk.Size <= end;
         at = NextChunkAt(chunk.Offset, chunk.Size))
        chunks.push_back(chunk);
    return chunks;
}
