// The single-file converter.
#include "engine/convert_file.h"
#include <cstring>
#include "app/settings.h"
#include "engine/acm_header.h"
#include "engine/conversion_state.h"
#include "engine/progress.h"
#include "engine/read_ahead.h"
#include "engine/wave_file.h"
#include "engine/write_behind.h"

namespace {

// A format as the codecs read it: zero-filled behind its bytes, so a 16-byte
// PCM format has an extra byte count of 0, and the count never claims more
// bytes than were given.
struct FormatCopy {
    alignas(WAVEFORMATEX) BYTE Bytes[MaxFormatBytes + sizeof(WAVEFORMATEX)] = {};

    FormatCopy(const void* format, DWORD length)
    {
        DWORD copied = length < MaxFormatBytes ? length : MaxFormatBytes;
        memcpy(Bytes, format, copied);
        auto* header = reinterpret_cast<WAVEFORMATEX*>(Bytes);
        DWORD room = copied > sizeof(WAVEFORMATEX) ? copied - sizeof(WAVEFORMATEX) : 0;
        // Also a format of 17 bytes, which ends inside the count: its low
        // byte alone would claim up to 255 extra bytes that are not there,
        // and a codec that believes it reads zeros as its own fields (and
        // divides by them).
        if (header->cbSize > room)
            header->cbSize = WORD(room);
    }
    WAVEFORMATEX* Get() { return reinterpret_cast<WAVEFORMATEX*>(Bytes); }
};

// Whether a format may be handed to the codecs. Some codecs divide by the
// block alignment or, for the block-coded ADPCM and GSM formats, by the
// samples per block (the first word behind the extra byte count), and the
// platform's PCM converter ends the whole process on a data rate of 0. No
// real format has any of these 0, so such a format is refused before a codec
// sees it, as one that no codec can convert.
bool CodecsCanTake(const WAVEFORMATEX& format)
{
    if (format.nChannels == 0 || format.nSamplesPerSec == 0 || format.nAvgBytesPerSec == 0 ||
        format.nBlockAlign == 0)
        return false;
    switch (format.wFormatTag) {
    case WAVE_FORMAT_ADPCM:
    case WAVE_FORMAT_IMA_ADPCM:
    case WAVE_FORMAT_GSM610: {
        WORD samplesPerBlock = 0;
        if (format.cbSize < sizeof(samplesPerBlock))
            return false;
        const BYTE* extra = reinterpret_cast<const BYTE*>(&format) + sizeof(WAVEFORMATEX);
        memcpy(&samplesPerBlock, extra, sizeof(samplesPerBlock));
        return samplesPerBlock != 0;
    }
    default:
        return true;
    }
}

GlobalMemory AllocateZeroed(DWORD size)
{
    return GlobalMemory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
}

// The block loop. Converted when the data has been converted as far as it
// goes; the output may still wait in its runs.
ConvertResult ConvertBlocks(HACMSTREAM stream, ACMSTREAMHEADER& block, ReadAhead& source, WriteBehind& output,
                            DWORD dataSize, DWORD blockSize, bool partOfBatch)
{
    DWORD done = 0;
    for (;;) {
        DWORD toRead = dataSize - done < blockSize ? dataSize - done : blockSize;
        LONG read = source.Read(block.pbSrc, toRead);
        if (read < 0)
            return Failed;
        if (read == 0)
            return Converted;  // the end of the file, or of the declared data

        block.cbSrcLength = DWORD(read);
        if (acmStreamConvert(stream, &block, ACM_STREAMCONVERTF_BLOCKALIGN) != 0)
            return Failed;
        // Nothing consumed: what is left is shorter than one conversion step
        // and is dropped, unless nothing could be converted at all.
        if (block.cbSrcLengthUsed == 0)
            return done > 0 ? Converted : Failed;

        if (!output.Append(block.pbDst, block.cbDstLengthUsed))
            return Failed;

        done += block.cbSrcLengthUsed;
        if (partOfBatch)
            UpdateProgress(block.cbSrcLengthUsed, block.cbDstLengthUsed, done, dataSize);

        // The unconsumed rest is read again with the next block rather than
        // carried over in a buffer of its own.
        if (block.cbSrcLengthUsed < DWORD(read) && !source.StepBack(DWORD(read) - block.cbSrcLengthUsed))
            return Failed;
        if (done == dataSize)
            return Converted;
        if (partOfBatch && IsAbortRequested())
            return Aborted;
    }
}

ConvertResult RunConversion(const char* sourcePath, const void* sourceFormat, DWORD sourceFormatLength,
                            const char* destinationPath, const void* destinationFormat,
                            DWORD destinationFormatLength, const ConvertOptions& options)
{
    const DWORD blockSize = BlockSizeInBytes(Settings.BufferSize);

    // Declared in reverse order of release: the header is unprepared first,
    // then the stream closes, then the reading and the writing threads stop,
    // then the files close, and the buffers the header refers to go last.
    GlobalMemory destinationBuffer;
    GlobalMemory sourceBuffer;
    WaveWriter writer;
    WaveReader reader;
    WriteBehind output;
    ReadAhead source;
    AcmStream stream;
    PreparedStreamHeader header;

    // The source is opened first with writing denied, so a destination that
    // names the source itself cannot be created and the source stays intact.
    if (!OpenWaveData(sourcePath, reader))
        return Failed;
    if (!CreateWaveFile(destinationPath, destinationFormat, destinationFormatLength, writer))
        return Failed;

    FormatCopy sourceCopy(sourceFormat, sourceFormatLength);
    FormatCopy destinationCopy(destinationFormat, destinationFormatLength);
    if (!CodecsCanTake(*sourceCopy.Get()) || !CodecsCanTake(*destinationCopy.Get()))
        return Failed;
    HACMSTREAM opened = nullptr;
    if (acmStreamOpen(&opened, nullptr, sourceCopy.Get(), destinationCopy.Get(), nullptr, 0, 0,
                      ConversionStreamOpenFlags(Settings.LowQuality)) != 0)
        return Failed;
    stream.Attach(opened);

    DWORD destinationSize = 0;
    if (acmStreamSize(stream.Get(), blockSize, &destinationSize, ACM_STREAMSIZEF_SOURCE) != 0)
        return Failed;

    sourceBuffer = AllocateZeroed(blockSize);
    destinationBuffer = AllocateZeroed(destinationSize);
    if (!sourceBuffer || !destinationBuffer)
        return Failed;
    auto* sourceBytes = static_cast<BYTE*>(static_cast<void*>(sourceBuffer.Get()));
    auto* destinationBytes = static_cast<BYTE*>(static_cast<void*>(destinationBuffer.Get()));

    if (!header.Prepare(stream.Get(), sourceBytes, blockSize, destinationBytes, destinationSize))
        return Failed;

    // The audio starts where opening left the source's position.
    LONG dataOffset = mmioSeek(reader.File.Get(), 0, SEEK_CUR);
    const DWORD dataSize = reader.DataSize < options.MaxSourceBytes ? reader.DataSize : options.MaxSourceBytes;
    if (dataOffset == -1 || !source.Start(sourcePath, DWORD(dataOffset), dataSize, blockSize) ||
        !output.Allocate(writer.File.Get(), destinationSize))
        return Failed;

    if (options.PartOfBatch) {
        StartFileProgress(dataSize);
        if (IsAbortRequested())
            return Aborted;
    }

    ConvertResult result =
        ConvertBlocks(stream.Get(), header.Header(), source, output, dataSize, blockSize, options.PartOfBatch);
    // What was converted reaches the file also on an abort or a failure, as
    // it did when every block was written at once.
    if (!output.Flush())
        return Failed;
    if (result != Converted)
        return result;
    if (!FinishWaveFile(writer))
        return Failed;
    return Converted;
}

}  // namespace

DWORD ConversionStreamOpenFlags(DWORD lowQuality)
{
    return lowQuality ? 0 : ACM_STREAMOPENF_NONREALTIME;
}

ConvertResult ConvertFile(const char* sourcePath, const void* sourceFormat, DWORD sourceFormatLength,
                          const char* destinationPath, const void* destinationFormat,
                          DWORD destinationFormatLength, const ConvertOptions& options)
{
    ConvertResult result = RunConversion(sourcePath, sourceFormat, sourceFormatLength, destinationPath,
                                         destinationFormat, destinationFormatLength, options);
    if (result == Converted && options.PartOfBatch)
        ClearProgressRows();
    return result;
}
