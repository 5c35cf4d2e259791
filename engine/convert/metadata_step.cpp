// Keeping the source's metadata chunks behind the destination's audio.
#include "engine/convert/metadata_step.h"
#include <msacm.h>
#include <new>
#include "engine/metadata/chunk_records.h"
#include "engine/wave/riff_layout.h"
#include "win/program_version.h"

namespace {

constexpr uint32_t ListTypeBytes = 4;
constexpr uint32_t SubChunkHeaderBytes = 8;

// "PCM", or the codecs' name of the destination's format tag, for the
// coding history.
std::string AlgorithmName(WORD tag)
{
    if (tag == WAVE_FORMAT_PCM)
        return "PCM";
    ACMFORMATTAGDETAILSA details = {};
    details.cbStruct = sizeof(details);
    details.dwFormatTag = tag;
    if (acmFormatTagDetailsA(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG) == 0 && details.szFormatTag[0] != 0)
        return details.szFormatTag;
    return "format " + std::to_string(tag);
}

}  // namespace

void MetadataStep::Plan(const char* sourcePath, const WAVEFORMATEX& source, const WAVEFORMATEX& destination)
{
    if (destination.wFormatTag == WAVE_FORMAT_GSM610 || !source_.Open(sourcePath))
        return;
    const bool channelsChange = source.nChannels != destination.nChannels;
    for (const SourceChunk& chunk : source_.List()) {
        const ChunkKind kind = KindOf(chunk.Id, chunk.ListType, channelsChange);
        if (kind != ChunkKind::Dropped && AddsUp(chunk, kind))
            kept_.push_back({chunk, kind});
    }
    if (kept_.empty())
        return;
    try {
        buffer_.assign(MetadataBufferBytes, 0);
    } catch (const std::bad_alloc&) {
        kept_.clear();  // the audio goes on without them
        return;
    }
    change_ = {source.nSamplesPerSec, destination.nSamplesPerSec, 0};
    facts_ = {AlgorithmName(destination.wFormatTag), destination.nSamplesPerSec, destination.wBitsPerSample,
              destination.nChannels, ProgramVersionText()};
    for (const Kept& kept : kept_)
        if (kept.Kind == ChunkKind::Checksum && !digest_.Started())
            digest_.Start();
}

// Whether a chunk's inner sizes agree with its own; read through its
// headers and counts, never whole. Room is left for what a broadcast
// chunk gains.
bool MetadataStep::AddsUp(const SourceChunk& chunk, ChunkKind kind)
{
    if (chunk.Size > MaxTrailingChunkBytes - 1024)
        return false;
    uint32_t count = 0;
    switch (kind) {
    case ChunkKind::Broadcast:
        return chunk.Size >= BroadcastFixedBytes;
    case ChunkKind::CuePoints:
        return chunk.Size >= CueCountBytes && source_.ReadAt(chunk.Offset, &count, sizeof(count)) &&
               CuePointsAddUp(chunk.Size, count);
    case ChunkKind::Sampler:
        return chunk.Size >= SamplerHeaderBytes &&
               source_.ReadAt(chunk.Offset + SamplerLoopCountAt, &count, sizeof(count)) &&
               SamplerLoopsFit(chunk.Size, count);
    case ChunkKind::Labels:
        return SubChunksAddUp(chunk, true);
    case ChunkKind::Copied:
        return chunk.Id != ChunkCode("LIST") || SubChunksAddUp(chunk, false);
    default:
        return true;
    }
}

// A list adds up when its sub-chunks, stepped over one by one, end inside
// it (the pad byte of the last may be missing, as some writers leave it);
// in a label list every label text holds its fixed fields.
bool MetadataStep::SubChunksAddUp(const SourceChunk& list, bool labels)
{
    if (list.Size < ListTypeBytes)
        return false;
    const uint64_t end = list.Offset + list.Size;
    for (uint64_t at = list.Offset + ListTypeBytes; at < end;) {
        uint32_t header[2];
        if (at + SubChunkHeaderBytes > end || !source_.ReadAt(at, header, sizeof(header)))
            return false;
        if (at + SubChunkHeaderBytes + header[1] > end)
            return false;
        if (labels && header[0] == ChunkCode("ltxt") && header[1] < LabelTextBytes)
            return false;
        at = NextChunkAt(at + SubChunkHeaderBytes, header[1]);
    }
    return true;
}

ConvertResult MetadataStep::Write(WaveWriter& writer, uint64_t destinationFrames, ConversionHost* host)
{
    if (kept_.empty())
        return ConvertResult::Converted;
    if (!EndWaveData(writer))
        return ConvertResult::Failed;
    host_ = host;
    change_.Frames = destinationFrames;
    // A checksum that cannot be had is left out with its chunk.
    const bool checksum = digest_.Started() && digest_.Finish(checksum_);
    HMMIO file = writer.File.Get();
    for (const Kept& kept : kept_) {
        if ((kept.Kind == ChunkKind::Checksum && !checksum) || !Fits(file, kept))
            continue;
        if (host_ != nullptr && host_->AbortRequested())
            return ConvertResult::Aborted;
        TrailingChunk out;
        if (!out.Begin(file, kept.Chunk.Id))
            return ConvertResult::Failed;
        ConvertResult written = WriteChunk(kept, out);
        if (written != ConvertResult::Converted)
            return written;
        if (!out.End())
            return ConvertResult::Failed;
    }
    return ConvertResult::Converted;
}

// Whether the chunk, at the most it can grow to, still fits the form's
// 32-bit size behind what the writer has written.
bool MetadataStep::Fits(HMMIO file, const Kept& kept) const
{
    const LONG position = mmioSeek(file, 0, SEEK_CUR);
    uint64_t size = kept.Chunk.Size;
    if (kept.Kind == ChunkKind::Broadcast)
        size += HistoryAddition('.', facts_).size();
    else if (kept.Kind == ChunkKind::Checksum)
        size = Md5Bytes;
    // The form's size counts from its type on: the file's length less 8.
    return position != -1 && uint64_t(DWORD(position)) + ((size + 1) & ~uint64_t(1)) <= MaxRiffSize;
}

ConvertResult MetadataStep::WriteChunk(const Kept& kept, TrailingChunk& out)
{
    switch (kept.Kind) {
    case ChunkKind::Broadcast:
        return CopyBroadcast(kept.Chunk, out);
    case ChunkKind::CuePoints:
        return CopyCuePoints(kept.Chunk, out);
    case ChunkKind::Labels:
        return CopyLabels(kept.Chunk, out);
    case ChunkKind::Sampler:
        return CopySampler(kept.Chunk, out);
    case ChunkKind::Checksum:
        return out.Write(checksum_, Md5Bytes) ? ConvertResult::Converted : ConvertResult::Failed;
    default:
        return CopyThrough(kept.Chunk.Offset, kept.Chunk.Size, out);
    }
}

// Copies count bytes from offset through the fixed buffer, heeding an
// abort and a suspension between its pieces.
ConvertResult MetadataStep::CopyThrough(uint64_t offset, uint64_t count, TrailingChunk& out)
{
    while (count > 0) {
        const DWORD piece = DWORD(count < buffer_.size() ? count : buffer_.size());
        if (!source_.ReadAt(offset, buffer_.data(), piece) || !out.Write(buffer_.data(), piece))
            return ConvertResult::Failed;
        offset += piece;
        count -= piece;
        if (count > 0 && host_ != nullptr && host_->AbortRequested())
            return ConvertResult::Aborted;
    }
    return ConvertResult::Converted;
}

// Reads one fixed record at offset, rewrites it for the destination and
// writes it; the record stays for the caller to read.
template <size_t Size>
ConvertResult MetadataStep::CopyRecord(uint64_t offset, TrailingChunk& out,
                                       void (*scale)(uint8_t (&)[Size], const RateChange&), uint8_t (&record)[Size])
{
    if (!source_.ReadAt(offset, record, Size))
        return ConvertResult::Failed;
    scale(record, change_);
    return out.Write(record, Size) ? ConvertResult::Converted : ConvertResult::Failed;
}

ConvertResult MetadataStep::CopyCuePoints(const SourceChunk& chunk, TrailingChunk& out)
{
    ConvertResult result = CopyThrough(chunk.Offset, CueCountBytes, out);
    uint8_t point[CuePointBytes];
    const uint64_t end = chunk.Offset + chunk.Size;
    for (uint64_t at = chunk.Offset + CueCountBytes; at < end && result == ConvertResult::Converted;
         at += CuePointBytes)
        result = CopyRecord(at, out, ScaleCuePoint, point);
    return result;
}

ConvertResult MetadataStep::CopySampler(const SourceChunk& chunk, TrailingChunk& out)
{
    uint8_t header[SamplerHeaderBytes], loop[SamplerLoopBytes];
    ConvertResult result = CopyRecord(chunk.Offset, out, ScaleSamplerHeader, header);
    const uint32_t loops = RecordField(header, SamplerLoopCountAt);
    uint64_t at = chunk.Offset + SamplerHeaderBytes;
    for (uint32_t i = 0; i < loops && result == ConvertResult::Converted; ++i, at += SamplerLoopBytes)
        result = CopyRecord(at, out, ScaleSamplerLoop, loop);
    // The sampler's own data, as it is.
    return result == ConvertResult::Converted ? CopyThrough(at, chunk.Offset + chunk.Size - at, out) : result;
}

// The list type, then each sub-chunk with its pad byte; a label text's
// length is scaled, every text copied as it is.
ConvertResult MetadataStep::CopyLabels(const SourceChunk& chunk, TrailingChunk& out)
{
    const uint64_t end = chunk.Offset + chunk.Size;
    ConvertResult result = CopyThrough(chunk.Offset, ListTypeBytes, out);
    uint8_t text[LabelTextBytes];
    for (uint64_t at = chunk.Offset + ListTypeBytes; at < end && result == ConvertResult::Converted;) {
        uint32_t header[2];
        if (!source_.ReadAt(at, header, sizeof(header)) || !out.Write(header, sizeof(header)))
            return ConvertResult::Failed;
        uint64_t body = at + SubChunkHeaderBytes;
        const uint64_t next = NextChunkAt(body, header[1]) < end ? NextChunkAt(body, header[1]) : end;
        if (header[0] == ChunkCode("ltxt")) {
            result = CopyRecord(body, out, ScaleLabelText, text);
            body += LabelTextBytes;
        }
        if (result == ConvertResult::Converted)
            result = CopyThrough(body, next - body, out);
        at = next;
    }
    return result;
}

// The fixed fields with the time reference scaled, the history without the
// NUL bytes that end it, and the line of this conversion.
ConvertResult MetadataStep::CopyBroadcast(const SourceChunk& chunk, TrailingChunk& out)
{
    uint8_t fields[BroadcastFixedBytes];
    uint8_t lastByte = 0;
    ConvertResult result = CopyRecord(chunk.Offset, out, ScaleBroadcastFields, fields);
    if (result == ConvertResult::Converted)
        result = CopyHistory(chunk.Offset + BroadcastFixedBytes, chunk.Size - BroadcastFixedBytes, out, lastByte);
    if (result != ConvertResult::Converted)
        return result;
    const std::string addition = HistoryAddition(lastByte, facts_);
    return out.Write(addition.data(), DWORD(addition.size())) ? ConvertResult::Converted : ConvertResult::Failed;
}

// The NUL bytes behind the text so far are held back as a count and written
// only when more text follows them.
ConvertResult MetadataStep::CopyHistory(uint64_t offset, uint32_t count, TrailingChunk& out, uint8_t& lastByte)
{
    static const uint8_t Zeros[64] = {};
    uint64_t held = 0;
    while (count > 0) {
        const DWORD piece = count < buffer_.size() ? count : DWORD(buffer_.size());
        if (!source_.ReadAt(offset, buffer_.data(), piece))
            return ConvertResult::Failed;
        const size_t text = HistoryTextEnd(buffer_.data(), piece);
        if (text > 0) {
            for (DWORD zeros; held > 0; held -= zeros)
                if (zeros = DWORD(held < sizeof(Zeros) ? held : sizeof(Zeros)); !out.Write(Zeros, zeros))
                    return ConvertResult::Failed;
            if (!out.Write(buffer_.data(), DWORD(text)))
                return ConvertResult::Failed;
            lastByte = buffer_[text - 1];
        }
        held += piece - text;
        offset += piece;
        count -= piece;
    }
    return ConvertResult::Converted;
}

bool CopyLastWriteTime(const char* sourcePath, const char* destinationPath)
{
    WIN32_FILE_ATTRIBUTE_DATA source;
    if (!GetFileAttributesExA(sourcePath, GetFileExInfoStandard, &source))
        return false;
    KernelHandle destination(CreateFileA(destinationPath, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (destination.Get() == INVALID_HANDLE_VALUE) {
        destination.Detach();
        return false;
    }
    return SetFileTime(destination.Get(), nullptr, nullptr, &source.ftLastWriteTime) != FALSE;
}
