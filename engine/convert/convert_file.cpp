// The single-file converter: the stages that the plan names, streamed block
// by block from the source file to the destination file.
#include "engine/convert/convert_file.h"
#include <new>
#include <vector>
#include "engine/chain/sample_chain.h"
#include "engine/convert/conversion_plan.h"
#include "engine/convert/destination_stage.h"
#include "engine/convert/metadata_step.h"
#include "engine/convert/source_stage.h"
#include "engine/format/format_guard.h"
#include "engine/wave/riff_layout.h"
#include "engine/wave/wave_file.h"

namespace {

// The streams that the plan's checks opened, by stage: the plan's own are
// handed to the stages, the others close with the conversion.
struct PlannedStreams {
    AcmStream Direct, Decode, Encode;
    AcmStream& For(CodecStage stage)
    {
        return stage == CodecStage::Direct ? Direct : stage == CodecStage::Decode ? Decode : Encode;
    }
};

// Everything one conversion holds, declared in reverse order of release: the
// stages stop their reading and writing threads before the files close.
struct FileConversion {
    WaveWriter Writer;
    WaveReader Reader;
    std::vector<BYTE> Header;  // the destination's "fmt " chunk
    MetadataStep Metadata;     // whose digest the destination stage adds to
    ConversionPlan Plan;
    DestinationStage Destination;
    SourceStage Source;
    SampleChain Chain;
    std::vector<BYTE> ChainOutput;  // one Take of the chain
};

CodecStageCheck OpenStreams(PlannedStreams& streams, CodecDrivers* drivers, DWORD flags)
{
    return [&streams, drivers, flags](CodecStage stage, WAVEFORMATEX* from, WAVEFORMATEX* to) {
        HACMSTREAM opened = nullptr;
        MMRESULT result = drivers != nullptr ? drivers->OpenStream(&opened, from, to, flags)
                                             : acmStreamOpen(&opened, nullptr, from, to, nullptr, 0, 0, flags);
        if (result != MMSYSERR_NOERROR)
            return false;
        streams.For(stage).Attach(opened);
        return true;
    };
}

// The plan, its streams opened, and the stages set up around them.
bool OpenStages(FileConversion& conversion, const void* sourceFormat, DWORD sourceFormatLength,
                const void* destinationFormat, DWORD destinationFormatLength, const char* sourcePath,
                CodecDrivers* drivers, const ConvertOptions& options)
{
    PlannedStreams streams;
    std::optional<ConversionPlan> plan =
        PlanConversion(sourceFormat, sourceFormatLength, destinationFormat, destinationFormatLength,
                       OpenStreams(streams, drivers, ConversionStreamOpenFlags(options.LowQuality)));
    if (!plan)
        return false;
    conversion.Plan = *plan;
    const DWORD declared = conversion.Reader.DataSize;
    const DWORD dataSize = declared < options.MaxSourceBytes ? declared : options.MaxSourceBytes;
    // The first stage reads the source through the one stream or the decoder.
    AcmStream first = plan->Direct          ? std::move(streams.Direct)
                      : plan->DecodeByCodec ? std::move(streams.Decode)
                                            : AcmStream();
    if (!conversion.Source.Open(conversion.Reader, sourcePath, dataSize, options.BlockSize, std::move(first)))
        return false;

    const bool fact = NeedsFactChunk(conversion.Header);
    const uint64_t audioLimit = MaxAudioBytes(conversion.Header.size(), fact);
    HMMIO file = conversion.Writer.File.Get();
    if (plan->Direct)
        return conversion.Destination.Open(file, conversion.Source.LargestBlock(), audioLimit, AcmStream(), 0);

    ChainOptions chainOptions;
    chainOptions.LowQuality = options.LowQuality;
    if (!conversion.Chain.Open(plan->Decoded, plan->Target, chainOptions))
        return false;
    const WORD frameBytes = conversion.Chain.DestinationFrameBytes();
    try {
        conversion.ChainOutput.assign(SampleChain::SliceFrames * frameBytes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    AcmStream encoder = plan->EncodeByCodec ? std::move(streams.Encode) : AcmStream();
    return conversion.Destination.Open(file, DWORD(conversion.ChainOutput.size()), audioLimit, std::move(encoder),
                                       frameBytes);
}

// Takes everything the chain makes of what was put into it (after Finish,
// also what its filter still holds) into the destination. A long resample
// of a large block heeds an abort and a suspension between its pieces.
ConvertResult DrainChain(FileConversion& conversion, ConversionHost* host)
{
    BYTE* room = conversion.ChainOutput.data();
    const DWORD roomBytes = DWORD(conversion.ChainOutput.size());
    for (;;) {
        DWORD made = 0;
        if (!conversion.Chain.Take(room, roomBytes, &made))
            return ConvertResult::Failed;
        if (made == 0)
            return ConvertResult::Converted;
        if (!conversion.Destination.Put(room, made))
            return ConvertResult::Failed;
        if (host != nullptr && host->AbortRequested())
            return ConvertResult::Aborted;
    }
}

// One block of the source on its way through the later stages; at the
// last, the chain and the encoder give out what they hold.
ConvertResult PassBlock(FileConversion& conversion, const SourceBlock* block, bool last, ConversionHost* host)
{
    const bool chained = !conversion.Plan.Direct;
    if (block != nullptr && !chained && !conversion.Destination.Put(block->Bytes, block->Count))
        return ConvertResult::Failed;
    if (chained) {
        if (block != nullptr)
            conversion.Chain.Put(block->Bytes, block->Count);
        if (last)
            conversion.Chain.Finish();
        ConvertResult drained = DrainChain(conversion, host);
        if (drained != ConvertResult::Converted)
            return drained;
    }
    return conversion.Destination.EndBlock() ? ConvertResult::Converted : ConvertResult::Failed;
}

// The block loop. Converted when the data has been converted as far as it
// goes; the output may still wait in its runs. Failed before the audio would
// pass its limit, so the file never needs a size that its 32-bit fields
// cannot hold.
ConvertResult ConvertBlocks(FileConversion& conversion, ConversionHost* host)
{
    SourceStage& source = conversion.Source;
    for (;;) {
        SourceBlock block;
        SourceStep step = source.Next(block);
        if (step == SourceStep::Failed)
            return ConvertResult::Failed;
        const bool read = step == SourceStep::Block;
        const bool last = !read || source.Done() == source.DataSize();
        const uint64_t before = conversion.Destination.Written();
        ConvertResult passed = PassBlock(conversion, read ? &block : nullptr, last, host);
        if (passed != ConvertResult::Converted)
            return passed;
        const DWORD made = DWORD(conversion.Destination.Written() - before);
        if (host != nullptr && (read || made > 0))
            host->BlockConverted(block.Consumed, made, source.Done(), source.DataSize());
        if (last)
            return ConvertResult::Converted;
        if (host != nullptr && host->AbortRequested())
            return ConvertResult::Aborted;
    }
}

// The samples a compressed destination holds, for its "fact" chunk: the PCM
// frames its encoder took, or that the one stream took of a PCM source.
DWORD DestinationSamples(const FileConversion& conversion, const void* sourceFormat, DWORD sourceFormatLength)
{
    uint64_t frames = conversion.Destination.EncodedFrames();
    if (conversion.Plan.Direct) {
        const GuardedFormat sourceCopy = ClampFormat(sourceFormat, sourceFormatLength);
        const GuardedFormat destinationCopy = ClampFormat(conversion.Header.data(), DWORD(conversion.Header.size()));
        const WAVEFORMATEX& source = sourceCopy.Fields();
        const WAVEFORMATEX& destination = destinationCopy.Fields();
        if (source.wFormatTag == WAVE_FORMAT_PCM && source.nBlockAlign != 0)
            frames = conversion.Source.Done() / source.nBlockAlign;
        else if (destination.nAvgBytesPerSec != 0)  // two codecs in one stream: as the format's rate implies
            frames = conversion.Destination.Written() * destination.nSamplesPerSec / destination.nAvgBytesPerSec;
    }
    return frames > 0xFFFFFFFFu ? 0xFFFFFFFFu : DWORD(frames);
}

// The source's chunks that the destination keeps; where one of them is a
// checksum, the audio is added to its digest as it is written.
void PlanMetadata(FileConversion& conversion, const char* sourcePath, const void* sourceFormat,
                  DWORD sourceFormatLength)
{
    const GuardedFormat source = ClampFormat(sourceFormat, sourceFormatLength);
    const GuardedFormat destination = ClampFormat(conversion.Header.data(), DWORD(conversion.Header.size()));
    conversion.Metadata.Plan(sourcePath, source.Fields(), destination.Fields());
    conversion.Destination.AddAudioTo(conversion.Metadata.AudioDigest());
}

// The kept chunks behind the audio, the sizes fixed, and then, on the
// closed file, the source's last-write time.
ConvertResult FinishDestination(FileConversion& conversion, DWORD samples, const char* sourcePath,
                                const char* destinationPath, const ConvertOptions& options)
{
    if (options.KeepMetadata) {
        const GuardedFormat written = ClampFormat(conversion.Header.data(), DWORD(conversion.Header.size()));
        const WORD blockAlign = written.Fields().nBlockAlign;
        const uint64_t frames = NeedsFactChunk(conversion.Header) ? samples
                                : blockAlign != 0                  ? conversion.Destination.Written() / blockAlign
                                                                   : 0;
        ConvertResult kept = conversion.Metadata.Write(conversion.Writer, frames, options.Host);
        if (kept != ConvertResult::Converted)
            return kept;
    }
    if (!FinishWaveFile(conversion.Writer, samples))
        return ConvertResult::Failed;
    if (options.KeepMetadata) {
        conversion.Writer.File.Close();
        CopyLastWriteTime(sourcePath, destinationPath);
    }
    return ConvertResult::Converted;
}

// Formats that neither the own reader nor the codecs may be given: a source
// whose fields contradict each other, and formats with a zero that a codec
// divides by. The destination always reaches a codec or a formula.
bool FormatsUsable(const void* sourceFormat, DWORD sourceFormatLength, const void* destinationFormat,
                   DWORD destinationFormatLength)
{
    if (!GuardFormat(destinationFormat, destinationFormatLength))
        return false;
    switch (ReadSampleLayout(sourceFormat, sourceFormatLength).Verdict) {
    case LayoutVerdict::Readable:
        return true;
    case LayoutVerdict::ForTheCodecs:
        return GuardFormat(sourceFormat, sourceFormatLength).has_value();
    default:
        return false;
    }
}

ConvertResult RunConversion(const char* sourcePath, const void* sourceFormat, DWORD sourceFormatLength,
                            const char* destinationPath, const void* destinationFormat,
                            DWORD destinationFormatLength, CodecDrivers* drivers, const ConvertOptions& options)
{
    // A format the converter must not use fails before any file is touched.
    if (!FormatsUsable(sourceFormat, sourceFormatLength, destinationFormat, destinationFormatLength))
        return ConvertResult::Failed;

    FileConversion conversion;
    conversion.Header = DestinationHeaderFormat(destinationFormat, destinationFormatLength);
    // The source is opened first with writing denied, so a destination that
    // names the source itself cannot be created and the source stays intact.
    if (!OpenWaveData(sourcePath, conversion.Reader) ||
        !CreateWaveFile(destinationPath, conversion.Header.data(), DWORD(conversion.Header.size()), conversion.Writer,
                        NeedsFactChunk(conversion.Header)) ||
        !OpenStages(conversion, sourceFormat, sourceFormatLength, destinationFormat, destinationFormatLength,
                    sourcePath, drivers, options))
        return ConvertResult::Failed;
    if (options.KeepMetadata)
        PlanMetadata(conversion, sourcePath, sourceFormat, sourceFormatLength);

    if (options.Host != nullptr) {
        options.Host->FileStarted(conversion.Source.DataSize());
        if (options.Host->AbortRequested())
            return ConvertResult::Aborted;
    }

    ConvertResult result = ConvertBlocks(conversion, options.Host);
    // What was converted reaches the file also on an abort or a failure, as
    // it did when every block was written at once.
    if (!conversion.Destination.Flush())
        return ConvertResult::Failed;
    if (result != ConvertResult::Converted)
        return result;
    DWORD samples = DestinationSamples(conversion, sourceFormat, sourceFormatLength);
    return FinishDestination(conversion, samples, sourcePath, destinationPath, options);
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
    if (result == ConvertResult::Converted && options.Host != nullptr)
        options.Host->FileConverted();
    return result;
}
