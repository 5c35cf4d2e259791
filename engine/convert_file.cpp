// The single-file converter.
#include "engine/convert_file.h"
#include <cstring>
#include "engine/acm_header.h"
#include "engine/conversion_state.h"
#include "engine/format_guard.h"
#include "engine/progress.h"
#include "engine/read_ahead.h"
#include "engine/riff_layout.h"
#include "engine/wave_file.h"
#include "engine/write_behind.h"

namespace {

// Everything one conversion holds, declared in reverse order of release: the
// header is unprepared first, then the stream closes, then the reading and
// the writing threads stop, then the files close, and the buffers the header
// refers to go last.
struct FileConversion {
    GlobalMemory DestinationBuffer;
    GlobalMemory SourceBuffer;
    WaveWriter Writer;
    WaveReader Reader;
    WriteBehind Output;
    ReadAhead Source;
    AcmStream Stream;
    PreparedStreamHeader Header;
    DWORD DestinationSize = 0;  // the most output one block makes
    DWORD DataSize = 0;         // the source's audio bytes to convert
};

GlobalMemory AllocateZeroed(DWORD size)
{
    return GlobalMemory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
}

BYTE* BytesOf(const GlobalMemory& memory) { return static_cast<BYTE*>(static_cast<void*>(memory.Get())); }

bool OpenStream(FileConversion& conversion, GuardedFormat& source, GuardedFormat& destination,
                CodecDrivers* drivers, const ConvertOptions& options)
{
    HACMSTREAM opened = nullptr;
    const DWORD openFlags = ConversionStreamOpenFlags(options.LowQuality);
    MMRESULT openResult =
        drivers != nullptr
            ? drivers->OpenStream(&opened, source.Get(), destination.Get(), openFlags)
            : acmStreamOpen(&opened, nullptr, source.Get(), destination.Get(), nullptr, 0, 0, openFlags);
    if (openResult != MMSYSERR_NOERROR)
        return false;
    conversion.Stream.Attach(opened);
    return acmStreamSize(conversion.Stream.Get(), options.BlockSize, &conversion.DestinationSize,
                         ACM_STREAMSIZEF_SOURCE) == 0;
}

bool PrepareBlocks(FileConversion& conversion, DWORD blockSize)
{
    conversion.SourceBuffer = AllocateZeroed(blockSize);
    conversion.DestinationBuffer = AllocateZeroed(conversion.DestinationSize);
    if (!conversion.SourceBuffer || !conversion.DestinationBuffer)
        return false;
    return conversion.Header.Prepare(conversion.Stream.Get(), BytesOf(conversion.SourceBuffer), blockSize,
                                     BytesOf(conversion.DestinationBuffer), conversion.DestinationSize);
}

// The reading and writing threads; the audio starts where opening left the
// source's position.
bool StartTransfers(FileConversion& conversion, const char* sourcePath, const ConvertOptions& options)
{
    LONG dataOffset = mmioSeek(conversion.Reader.File.Get(), 0, SEEK_CUR);
    const DWORD declared = conversion.Reader.DataSize;
    conversion.DataSize = declared < options.MaxSourceBytes ? declared : options.MaxSourceBytes;
    return dataOffset != -1 &&
           conversion.Source.Start(conversion.Reader.File.Get(), sourcePath, DWORD(dataOffset),
                                   conversion.DataSize, options.BlockSize) &&
           conversion.Output.Allocate(conversion.Writer.File.Get(), conversion.DestinationSize);
}

// The block loop. Converted when the data has been converted as far as it
// goes; the output may still wait in its runs. Failed before the audio would
// pass audioLimit bytes, so the file never needs a size that its 32-bit
// fields cannot hold.
ConvertResult ConvertBlocks(FileConversion& conversion, DWORD blockSize, uint64_t audioLimit, BatchListener* batch)
{
    ACMSTREAMHEADER& block = conversion.Header.Header();
    const DWORD dataSize = conversion.DataSize;
    DWORD done = 0;
    uint64_t written = 0;
    for (;;) {
        DWORD toRead = dataSize - done < blockSize ? dataSize - done : blockSize;
        LONG read = conversion.Source.Read(block.pbSrc, toRead);
        if (read < 0)
            return ConvertResult::Failed;
        if (read == 0)
            return ConvertResult::Converted;  // the end of the file, or of the declared data

        block.cbSrcLength = DWORD(read);
        if (acmStreamConvert(conversion.Stream.Get(), &block, ACM_STREAMCONVERTF_BLOCKALIGN) != 0)
            return ConvertResult::Failed;
        // Nothing consumed: what is left is shorter than one conversion step
        // and is dropped, unless nothing could be converted at all.
        if (block.cbSrcLengthUsed == 0)
            return done > 0 ? ConvertResult::Converted : ConvertResult::Failed;

        written += block.cbDstLengthUsed;
        if (written > audioLimit || !conversion.Output.Append(block.pbDst, block.cbDstLengthUsed))
            return ConvertResult::Failed;

        done += block.cbSrcLengthUsed;
        if (batch != nullptr)
            UpdateProgress(*batch, block.cbSrcLengthUsed, block.cbDstLengthUsed, done, dataSize);

        // The unconsumed rest is read again with the next block rather than
        // carried over in a buffer of its own.
        if (block.cbSrcLengthUsed < DWORD(read) && !conversion.Source.StepBack(DWORD(read) - block.cbSrcLengthUsed))
            return ConvertResult::Failed;
        if (done == dataSize)
            return ConvertResult::Converted;
        if (batch != nullptr && IsAbortRequested())
            return ConvertResult::Aborted;
    }
}

ConvertResult RunConversion(const char* sourcePath, const void* sourceFormat, DWORD sourceFormatLength,
                            const char* destinationPath, const void* destinationFormat,
                            DWORD destinationFormatLength, CodecDrivers* drivers, const ConvertOptions& options)
{
    // A format the codecs must not see fails before any file is touched.
    std::optional<GuardedFormat> sourceCopy = GuardFormat(sourceFormat, sourceFormatLength);
    std::optional<GuardedFormat> destinationCopy = GuardFormat(destinationFormat, destinationFormatLength);
    if (!sourceCopy || !destinationCopy)
        return ConvertResult::Failed;

    FileConversion conversion;
    // The source is opened first with writing denied, so a destination that
    // names the source itself cannot be created and the source stays intact.
    if (!OpenWaveData(sourcePath, conversion.Reader) ||
        !CreateWaveFile(destinationPath, destinationFormat, destinationFormatLength, conversion.Writer) ||
        !OpenStream(conversion, *sourceCopy, *destinationCopy, drivers, options) ||
        !PrepareBlocks(conversion, options.BlockSize) || !StartTransfers(conversion, sourcePath, options))
        return ConvertResult::Failed;

    if (options.Batch != nullptr) {
        StartFileProgress(*options.Batch, conversion.DataSize);
        if (IsAbortRequested())
            return ConvertResult::Aborted;
    }

    ConvertResult result =
        ConvertBlocks(conversion, options.BlockSize, MaxAudioBytes(destinationFormatLength), options.Batch);
    // What was converted reaches the file also on an abort or a failure, as
    // it did when every block was written at once.
    if (!conversion.Output.Flush())
        return ConvertResult::Failed;
    if (result != ConvertResult::Converted)
        return result;
    return FinishWaveFile(conversion.Writer) ? ConvertResult::Converted : ConvertResult::Failed;
}

}  // namespace

DWORD ConversionStreamOpenFlags(bool lowQuality)
{
    return lowQuality ? 0 : ACM_STREAMOPENF_NONREALTIME;
}

ConvertResult ConvertFile(const char* sourcePath, const void* sourceFormat, DWORD sourceFormatLength,
                          const char* destinationPath, const void* destinationFormat,
                          DWORD destinationFormatLength, CodecDrivers* drivers, const ConvertOptions& options)
{
    ConvertResult result = RunConversion(sourcePath, sourceFormat, sourceFormatLength, destinationPath,
                                         destinationFormat, destinationFormatLength, drivers, options);
    if (result == ConvertResult::Converted && options.Batch != nullptr)
        ClearProgressRows(*options.Batch);
    return result;
}
