// The single-file converter: the stages that the plan names, streamed block
// by block from the source file to the destination file.
#include "engine/convert/convert_file.h"
#include <new>
#include <vector>
#include "engine/chain/sample_chain.h"
#include "engine/convert/conversion_plan.h"
#include "engine/convert/destination_stage.h"
#include "engine/convert/level_pass.h"
#include "engine/convert/metadata_step.h"
#include "engine/convert/source_blocks.h"
#include "engine/convert/source_shape.h"
#include "engine/convert/source_stage.h"
#include "engine/format/derived_fields.h"
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
    Failure Why;  // what failed, once something did
    WaveWriter Writer;
    WaveReader Reader;
    std::vector<BYTE> Header;  // the destination's "fmt " chunk
    MetadataStep Metadata;     // whose digest the destination stage adds to
    ConversionPlan Plan;
    DestinationStage Destination;
    SourceStage Source;
    SampleChain Chain;
    std::vector<BYTE> ChainOutput;  // one Take of the chain
    uint64_t MeasuredWork = 0;  // the measuring pass's share of the file's work
    uint64_t FileWork = 0;      // the bytes of both passes
};

// The two formats of a conversion, as stored.
struct FormatPair {
    const void* Source;
    DWORD SourceLength;
    const void* Destination;
    DWORD DestinationLength;
};

// Each refusal is kept in refused: the last one is what a plan without a way
// is told by.
CodecStageCheck OpenStreams(PlannedStreams& streams, CodecDrivers* drivers, DWORD flags, MMRESULT& refused)
{
    return [&streams, drivers, flags, &refused](CodecStage stage, WAVEFORMATEX* from, WAVEFORMATEX* to) {
        HACMSTREAM opened = nullptr;
        MMRESULT result = drivers != nullptr ? drivers->OpenStream(&opened, from, to, flags)
                                             : acmStreamOpen(&opened, nullptr, from, to, nullptr, 0, 0, flags);
        if (result != MMSYSERR_NOERROR)
            return refused = result, false;
        streams.For(stage).Attach(opened);
        return true;
    };
}

// The plan with its streams opened; a file brought to a level takes the
// chain wherever the chain reaches.
std::optional<ConversionPlan> PlanStages(PlannedStreams& streams, const FormatPair& formats, CodecDrivers* drivers,
                                         const ConvertOptions& options, MMRESULT& refused)
{
    return PlanConversion(formats.Source, formats.SourceLength, formats.Destination, formats.DestinationLength,
                          OpenStreams(streams, drivers, ConversionStreamOpenFlags(options.LowQuality), refused),
                          SuggestDecodedPcm, options.Level.Mode != LevelingMode::AsRecorded);
}

// The measuring pass of a file brought to a level, and what it gives the
// file. A file that only one codec stream converts has no chain and so no
// gain: it keeps its level, and its measuring share is done at once.
ConvertResult MeasurePass(FileConversion& conversion, const FormatPair& formats, const char* sourcePath,
                          CodecDrivers* drivers, const ConvertOptions& options, LevelDecision& decision)
{
    PlannedStreams streams;
    MMRESULT refused = ACMERR_NOTPOSSIBLE;
    std::optional<ConversionPlan> plan = PlanStages(streams, formats, drivers, options, refused);
    if (!plan)
        return conversion.Why = {FailureCause::CodecRefused, refused}, ConvertResult::Failed;
    const DWORD declared = conversion.Reader.DataSize;
    if (plan->Direct) {
        if (options.Host != nullptr)
            options.Host->BlockMeasured(declared, conversion.MeasuredWork, conversion.FileWork);
        return ConvertResult::Converted;
    }
    LevelPassOptions pass;
    pass.DataSize = declared;
    pass.BlockSize = options.BlockSize;
    pass.LowQuality = options.LowQuality;
    pass.Host = options.Host;
    pass.FileWork = conversion.FileWork;
    const GuardedFormat destination = ClampFormat(formats.Destination, formats.DestinationLength);
    pass.Shape = ShapeSource(*plan, conversion.Reader, formats.Source, formats.SourceLength, destination.Fields());
    LevelMeter meter;
    AcmStream decoder = plan->DecodeByCodec ? std::move(streams.Decode) : AcmStream();
    ConvertResult result = MeasureLevel(conversion.Reader, sourcePath, *plan, std::move(decoder), pass, meter);
    if (result == ConvertResult::Converted)
        decision = DecideLevel(options.Level, meter, SourceBitsOf(*plan), plan->Target.Bits);
    return result;
}

// The plan, its streams opened, and the stages set up around them, the
// chain with the file's gain.
bool OpenStages(FileConversion& conversion, const FormatPair& formats, const char* sourcePath,
                CodecDrivers* drivers, const ConvertOptions& options, const LevelDecision& level)
{
    // Of a RIFX file only PCM and float are turned round; no codec reads
    // big-endian audio.
    LayoutReading reading = ReadSampleLayout(formats.Source, formats.SourceLength);
    if (conversion.Reader.BigEndian && (reading.Verdict != LayoutVerdict::Readable || IsG711(reading.Layout)))
        return conversion.Why = {FailureCause::CodecRefused, ACMERR_NOTPOSSIBLE}, false;
    PlannedStreams streams;
    MMRESULT refused = ACMERR_NOTPOSSIBLE;
    std::optional<ConversionPlan> plan = PlanStages(streams, formats, drivers, options, refused);
    if (!plan)
        return conversion.Why = {FailureCause::CodecRefused, refused}, false;
    conversion.Plan = *plan;
    const DWORD declared = conversion.Reader.DataSize;
    const DWORD dataSize = declared < options.MaxSourceBytes ? declared : options.MaxSourceBytes;
    // The first stage reads the source through the one stream or the decoder.
    AcmStream first = plan->Direct          ? std::move(streams.Direct)
                      : plan->DecodeByCodec ? std::move(streams.Decode)
                                            : AcmStream();
    const GuardedFormat destination = ClampFormat(formats.Destination, formats.DestinationLength);
    SourceShape shape =
        ShapeSource(*plan, conversion.Reader, formats.Source, formats.SourceLength, destination.Fields());
    if (!conversion.Source.Open(conversion.Reader, sourcePath, dataSize, options.BlockSize, std::move(first), shape))
        return conversion.Why = conversion.Source.Why(), false;

    const bool fact = NeedsFactChunk(conversion.Header);
    const uint64_t audioLimit = MaxAudioBytes(conversion.Header.size(), fact);
    HMMIO file = conversion.Writer.File.Get();
    if (plan->Direct) {
        if (!conversion.Destination.Open(file, conversion.Source.LargestBlock(), audioLimit, AcmStream(), 0))
            return conversion.Why = conversion.Destination.Why(), false;
        return true;
    }

    ChainOptions chainOptions;
    chainOptions.LowQuality = options.LowQuality;
    chainOptions.Gain = level.Kept ? 1.0f : GainFactor(level.GainDb);
    if (!conversion.Chain.Open(plan->Decoded, plan->Target, chainOptions))
        return conversion.Why = {FailureCause::OutOfMemory, ERROR_NOT_ENOUGH_MEMORY}, false;
    const WORD frameBytes = conversion.Chain.DestinationFrameBytes();
    try {
        conversion.ChainOutput.assign(SampleChain::SliceFrames * frameBytes, 0);
    } catch (const std::bad_alloc&) {
        return conversion.Why = {FailureCause::OutOfMemory, ERROR_NOT_ENOUGH_MEMORY}, false;
    }
    AcmStream encoder = plan->EncodeByCodec ? std::move(streams.Encode) : AcmStream();
    if (!conversion.Destination.Open(file, DWORD(conversion.ChainOutput.size()), audioLimit, std::move(encoder),
                                     frameBytes, destination.Fields().nBlockAlign))
        return conversion.Why = conversion.Destination.Why(), false;
    return true;
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
    return ForEachSourceBlock(source, host, [&](const SourceBlock* block, bool last) {
        const uint64_t before = conversion.Destination.Written();
        ConvertResult passed = PassBlock(conversion, block, last, host);
        const DWORD made = DWORD(conversion.Destination.Written() - before);
        if (passed == ConvertResult::Converted && host != nullptr && (block != nullptr || made > 0))
            host->BlockConverted(block != nullptr ? block->Consumed : 0, made,
                                 conversion.MeasuredWork + source.Done(), conversion.FileWork);
        return passed;
    });
}

// The samples a compressed destination holds, for its "fact" chunk: the PCM
// frames its encoder took, or that the one stream took of a PCM source.
DWORD DestinationSamples(const FileConversion& conversion, const void* sourceFormat, DWORD sourceFormatLength)
{
    uint64_t frames = conversion.Destination.EncodedFrames();
    if (conversion.Plan.Direct) {
        GuardedFormat sourceCopy = ClampFormat(sourceFormat, sourceFormatLength);
        DeriveFormatFields(*sourceCopy.Get(), sourceCopy.Length);
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
    if (!FinishWaveFile(conversion.Writer, samples, &conversion.Why))
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

// What failed: the one stage that did, or the step of the conversion itself.
Failure WhatFailed(const FileConversion& conversion)
{
    for (const Failure* told : {&conversion.Why, &conversion.Source.Why(), &conversion.Destination.Why()})
        if (told->Cause != FailureCause::None)
            return *told;
    return {FailureCause::OutOfMemory, ERROR_NOT_ENOUGH_MEMORY};  // the sample chain's buffers
}

ConvertResult RunConversion(FileConversion& conversion, const char* sourcePath, const void* sourceFormat,
                            DWORD sourceFormatLength, const char* destinationPath, const void* destinationFormat,
                            DWORD destinationFormatLength, CodecDrivers* drivers, const ConvertOptions& options)
{
    // A format the converter must not use fails before any file is touched.
    if (!FormatsUsable(sourceFormat, sourceFormatLength, destinationFormat, destinationFormatLength)) {
        conversion.Why = {FailureCause::CodecRefused, ACMERR_NOTPOSSIBLE};
        return ConvertResult::Failed;
    }

    const FormatPair formats = {sourceFormat, sourceFormatLength, destinationFormat, destinationFormatLength};
    conversion.Header = DestinationHeaderFormat(destinationFormat, destinationFormatLength);
    // The source is opened first with writing denied, so a destination that
    // names the source itself cannot be created and the source stays intact.
    if (!OpenWaveData(sourcePath, conversion.Reader, &conversion.Why) ||
        !CreateWaveFile(destinationPath, conversion.Header.data(), DWORD(conversion.Header.size()), conversion.Writer,
                        NeedsFactChunk(conversion.Header), &conversion.Why))
        return ConvertResult::Failed;
    if (options.KeepMetadata)
        PlanMetadata(conversion, sourcePath, sourceFormat, sourceFormatLength);

    const bool leveling = options.Level.Mode != LevelingMode::AsRecorded;
    const DWORD declared = conversion.Reader.DataSize;
    conversion.MeasuredWork = leveling ? declared : 0;
    const DWORD converted = declared < options.MaxSourceBytes ? declared : options.MaxSourceBytes;
    conversion.FileWork = conversion.MeasuredWork + converted;
    if (options.Host != nullptr) {
        options.Host->FileStarted(conversion.FileWork);
        if (options.Host->AbortRequested())
            return ConvertResult::Aborted;
    }
    LevelDecision level;
    if (leveling) {
        ConvertResult measured = MeasurePass(conversion, formats, sourcePath, drivers, options, level);
        if (measured != ConvertResult::Converted)
            return measured;
    }
    if (!OpenStages(conversion, formats, sourcePath, drivers, options, level))
        return ConvertResult::Failed;

    ConvertResult result = ConvertBlocks(conversion, options.Host);
    // What was converted reaches the file also on an abort or a failure:
    // the output written behind is flushed whatever ended the blocks.
    if (!conversion.Destination.Flush())
        return ConvertResult::Failed;
    if (result != ConvertResult::Converted)
        return result;
    DWORD samples = DestinationSamples(conversion, sourceFormat, sourceFormatLength);
    ConvertResult finished = FinishDestination(conversion, samples, sourcePath, destinationPath, options);
    if (finished == ConvertResult::Converted && options.Leveled != nullptr)
        *options.Leveled = level;
    return finished;
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
    ConvertResult result = ConvertResult::Failed;
    {
        FileConversion conversion;
        try {
            result = RunConversion(conversion, sourcePath, sourceFormat, sourceFormatLength, destinationPath,
                                   destinationFormat, destinationFormatLength, drivers, options);
        } catch (const std::bad_alloc&) {
            conversion.Why = {FailureCause::OutOfMemory, ERROR_NOT_ENOUGH_MEMORY};
        }
        if (result == ConvertResult::Failed)
            Tell(options.Why, WhatFailed(conversion));
    }
    if (result == ConvertResult::Converted && options.Host != nullptr)
        options.Host->FileConverted();
    return result;
}
