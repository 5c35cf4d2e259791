// The single-file converter.
#include "engine/convert_file.h"
#include <cstring>
#include "settings/settings.h"
#include "engine/acm_header.h"
#include "engine/conversion_state.h"
#include "engine/format_guard.h"
#include "engine/progress.h"
#include "engine/read_ahead.h"
#include "engine/riff_layout.h"
#include "engine/wave_file.h"
#include "engine/write_behind.h"

namespace {

GlobalMemory AllocateZeroed(DWORD size)
{
    return GlobalMemory(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
}

// The block loop. Converted when the data has been converted as far as it
// goes; the output may still wait in its runs. Failed before the audio would
// pass audioLimit bytes, so the file never needs a size that its 32-bit
// fields cannot hold.
ConvertResult ConvertBlocks(HACMSTREAM stream, ACMSTREAMHEADER& block, ReadAhead& source, WriteBehind& output,
                            DWORD dataSize, DWORD blockSize, uint64_t audioLimit, bool partOfBatch)
{
    DWORD done = 0;
    uint64_t written = 0;
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

        written += block.cbDstLengthUsed;
        if (written > audioLimit || !output.Append(block.pbDst, block.cbDstLengthUsed))
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
                            DWORD destinationFormatLength, CodecDrivers* drivers, const ConvertOptions& options)
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

    // A format the codecs must not see fails before any file is touched.
    std::optional<GuardedFormat> sourceCopy = GuardFormat(sourceFormat, sourceFormatLength);
    std::optional<GuardedFormat> destinationCopy = GuardFormat(destinationFormat, destinationFormatLength);
    if (!sourceCopy || !destinationCopy)
        return Failed;

    // The source is opened first with writing denied, so a destination that
    // names the source itself cannot be created and the source stays intact.
    if (!OpenWaveData(sourcePath, reader))
        return Failed;
    if (!CreateWaveFile(destinationPath, destinationFormat, destinationFormatLength, writer))
        return Failed;

    HACMSTREAM opened = nullptr;
    const DWORD openFlags = ConversionStreamOpenFlags(Settings.LowQuality);
    MMRESULT openResult =
        drivers != nullptr
            ? drivers->OpenStream(&opened, sourceCopy->Get(), destinationCopy->Get(), openFlags)
            : acmStreamOpen(&opened, nullptr, sourceCopy->Get(), destinationCopy->Get(), nullptr, 0, 0, openFlags);
    if (openResult != MMSYSERR_NOERROR)
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
    if (dataOffset == -1 || !source.Start(reader.File.Get(), sourcePath, DWORD(dataOffset), dataSize, blockSize) ||
        !output.Allocate(writer.File.Get(), destinationSize))
        return Failed;

    if (options.PartOfBatch) {
        StartFileProgress(dataSize);
        if (IsAbortRequested())
            return Aborted;
    }

    ConvertResult result = ConvertBlocks(stream.Get(), header.Header(), source, output, dataSize, blockSize,
                                         MaxAudioBytes(destinationFormatLength), options.PartOfBatch);
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
                          DWORD destinationFormatLength, CodecDrivers* drivers, const ConvertOptions& options)
{
    ConvertResult result = RunConversion(sourcePath, sourceFormat, sourceFormatLength, destinationPath,
                                         destinationFormat, destinationFormatLength, drivers, options);
    if (result == Converted && options.PartOfBatch)
        ClearProgressRows();
    return result;
}
