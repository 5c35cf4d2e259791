// Planning a file's conversion from its two formats.
#include "engine/convert/conversion_plan.h"
#include "engine/format/format_guard.h"

namespace {

// What a PCM stream side is: the fields a change of which takes more than a
// codec's one stream.
struct PcmShape {
    DWORD Rate = 0;
    WORD Channels = 0;
    WORD Bits = 0;
    bool operator==(const PcmShape&) const = default;
};

WAVEFORMATEX PcmRecord(const PcmShape& shape)
{
    WAVEFORMATEX pcm = {};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = shape.Channels;
    pcm.nSamplesPerSec = shape.Rate;
    pcm.nBlockAlign = WORD(shape.Channels * shape.Bits / 8);
    pcm.nAvgBytesPerSec = shape.Rate * pcm.nBlockAlign;
    pcm.wBitsPerSample = shape.Bits;
    return pcm;
}

// Plain PCM of whole 8 or 16-bit words: what the codecs take and the chain
// delivers.
std::optional<PcmShape> WordShape(const void* format, DWORD length)
{
    LayoutReading reading = ReadSampleLayout(format, length);
    const SampleLayout& layout = reading.Layout;
    if (reading.Verdict != LayoutVerdict::Readable || layout.Coding != SampleCoding::Integer ||
        layout.ValidBits != layout.ContainerBytes * 8 || (layout.ValidBits != 8 && layout.ValidBits != 16))
        return std::nullopt;
    return PcmShape{layout.SamplesPerSecond, layout.Channels, layout.ValidBits};
}


struct SourceSide {
    std::optional<GuardedFormat> Guarded;  // when the codecs may see it
    bool OwnReader = false;
    bool ByCodec = false;
    bool Coded = false;                // coded samples (not PCM): never one stream into another codec
    bool MayStream = false;            // may be tried as one stream at all
    std::optional<WAVEFORMATEX> DecodedPcm;  // by codec: what its decoder gives
    std::optional<SampleLayout> Decoded;     // what the chain would read
    std::optional<PcmShape> Pcm;             // what a stream would see
};

std::optional<SourceSide> ReadSourceSide(const void* format, DWORD length, const DecodedPcmSuggestion& suggest)
{
    SourceSide side;
    LayoutReading reading = ReadSampleLayout(format, length);
    if (reading.Verdict == LayoutVerdict::Refused)
        return std::nullopt;
    side.Guarded = GuardFormat(format, length);
    if (reading.Verdict == LayoutVerdict::Readable) {
        const SampleLayout& layout = reading.Layout;
        side.OwnReader = true;
        side.Decoded = layout;
        // G.711 is read by its table, yet where its codec takes the rate it
        // stays the one stream to PCM that it always was.
        side.Coded = IsG711(layout);
        side.Pcm = side.Coded ? std::optional<PcmShape>(PcmShape{layout.SamplesPerSecond, layout.Channels, 16})
                              : WordShape(format, length);
        // Float and extensible formats no codec takes, nor PCM in containers
        // wider than its bits, which only the own reader knows.
        const bool plainPcm = side.Guarded && side.Guarded->Fields().wFormatTag == WAVE_FORMAT_PCM &&
                              layout.FrameBytes == layout.Channels * ((layout.ValidBits + 7) / 8);
        side.MayStream = side.Guarded && (side.Coded || plainPcm);
        return side;
    }
    if (!side.Guarded)
        return std::nullopt;
    side.ByCodec = side.Coded = side.MayStream = true;
    side.DecodedPcm = suggest(side.Guarded->Get());
    if (side.DecodedPcm) {
        side.Decoded = ReadSampleLayout(&*side.DecodedPcm, sizeof(WAVEFORMATEX)).Layout;
        side.Pcm = WordShape(&*side.DecodedPcm, sizeof(WAVEFORMATEX));
    }
    return side;
}

struct DestinationSide {
    GuardedFormat Guarded;
    bool ByCodec = false;
    std::optional<ChainTarget> Target;  // when the chain can deliver what it takes
    WAVEFORMATEX EncoderPcm = {};       // by codec: what its encoder takes
    std::optional<PcmShape> Pcm;        // what a stream would see
};

std::optional<DestinationSide> ReadDestinationSide(const void* format, DWORD length)
{
    std::optional<GuardedFormat> guarded = GuardFormat(format, length);
    if (!guarded)
        return std::nullopt;
    DestinationSide side;
    side.Guarded = *guarded;
    const WAVEFORMATEX& fields = guarded->Fields();
    // u-law and A-law, which the own reader decodes, are still written by
    // their codec.
    LayoutReading reading = ReadSampleLayout(format, length);
    if (reading.Verdict == LayoutVerdict::ForTheCodecs || IsG711(reading.Layout)) {
        side.ByCodec = true;
        side.Pcm = PcmShape{fields.nSamplesPerSec, fields.nChannels, 16};
        side.EncoderPcm = PcmRecord(*side.Pcm);
    } else {
        side.Pcm = WordShape(format, length);
    }
    if (side.Pcm)
        side.Target = ChainTarget{side.Pcm->Rate, side.Pcm->Channels, side.Pcm->Bits};
    return side;
}

// The chain with the codec stages it needs, when they all are there.
bool PlanChain(SourceSide& source, DestinationSide& destination, const CodecStageCheck& check,
               ConversionPlan& plan)
{
    if (!source.Decoded || !destination.Target || !ChainReaches(*source.Decoded, *destination.Target))
        return false;
    if (source.ByCodec && !check(CodecStage::Decode, source.Guarded->Get(), &*source.DecodedPcm))
        return false;
    if (destination.ByCodec && !check(CodecStage::Encode, &destination.EncoderPcm, destination.Guarded.Get()))
        return false;
    plan.DecodeByCodec = source.ByCodec;
    plan.EncodeByCodec = destination.ByCodec;
    plan.Decoded = *source.Decoded;
    plan.Target = *destination.Target;
    return true;
}

}  // namespace

std::optional<WAVEFORMATEX> SuggestDecodedPcm(WAVEFORMATEX* source)
{
    WAVEFORMATEX pcm = {};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    if (acmFormatSuggest(nullptr, source, &pcm, sizeof(pcm), ACM_FORMATSUGGESTF_WFORMATTAG) != MMSYSERR_NOERROR)
        return std::nullopt;
    pcm.cbSize = 0;
    if (ReadSampleLayout(&pcm, sizeof(pcm)).Verdict != LayoutVerdict::Readable)
        return std::nullopt;
    return pcm;
}

bool SourceReadable(const void* sourceFormat, DWORD sourceLength, const CodecStageCheck& check,
                    const DecodedPcmSuggestion& suggest)
{
    std::optional<SourceSide> source = ReadSourceSide(sourceFormat, sourceLength, suggest);
    if (!source || !source->Decoded)
        return false;
    return source->OwnReader || check(CodecStage::Decode, source->Guarded->Get(), &*source->DecodedPcm);
}

std::optional<ConversionPlan> PlanConversion(const void* sourceFormat, DWORD sourceLength,
                                             const void* destinationFormat, DWORD destinationLength,
                                             const CodecStageCheck& check, const DecodedPcmSuggestion& suggest,
                                             bool viaChain)
{
    std::optional<SourceSide> source = ReadSourceSide(sourceFormat, sourceLength, suggest);
    std::optional<DestinationSide> destination = ReadDestinationSide(destinationFormat, destinationLength);
    if (!source || !destination)
        return std::nullopt;
    ConversionPlan plan;
    plan.Direct = true;
    // One stream where it changes nothing but the coding: the chain would
    // only pass the samples through. Two codecs take two streams: a codec
    // may open a stream from its format into itself (GSM 6.10 does) and
    // then convert nothing.
    bool oneStream = source->MayStream && source->Pcm && source->Pcm == destination->Pcm &&
                     !(source->Coded && destination->ByCodec);
    if (oneStream && !viaChain && check(CodecStage::Direct, source->Guarded->Get(), destination->Guarded.Get()))
        return plan;
    plan.Direct = false;
    if (PlanChain(*source, *destination, check, plan))
        return plan;
    plan = {};
    plan.Direct = true;
    if ((!oneStream || viaChain) && source->MayStream &&
        check(CodecStage::Direct, source->Guarded->Get(), destination->Guarded.Get()))
        return plan;
    return std::nullopt;
}

bool ConversionReachable(const void* sourceFormat, DWORD sourceLength, const void* destinationFormat,
                         DWORD destinationLength, const CodecStageCheck& check, const DecodedPcmSuggestion& suggest)
{
    std::optional<SourceSide> source = ReadSourceSide(sourceFormat, sourceLength, suggest);
    std::optional<DestinationSide> destination = ReadDestinationSide(destinationFormat, destinationLength);
    if (!source || !destination)
        return false;
    ConversionPlan plan;
    return PlanChain(*source, *destination, check, plan) ||
           (source->MayStream && check(CodecStage::Direct, source->Guarded->Get(), destination->Guarded.Get()));
}

bool ChainCanReach(const void* sourceFormat, DWORD sourceLength, const void* destinationFormat,
                   DWORD destinationLength, DWORD openFlags, StreamOpenFunction query)
{
    auto ask = [&](CodecStage, WAVEFORMATEX* from, WAVEFORMATEX* to) {
        return query(nullptr, nullptr, from, to, nullptr, 0, 0, openFlags | ACM_STREAMOPENF_QUERY) ==
               MMSYSERR_NOERROR;
    };
    return ConversionReachable(sourceFormat, sourceLength, destinationFormat, destinationLength, ask);
}

std::vector<BYTE> DestinationHeaderFormat(const void* destinationFormat, DWORD destinationLength)
{
    const BYTE* bytes = static_cast<const BYTE*>(destinationFormat);
    std::vector<BYTE> written(bytes, bytes + destinationLength);
    LayoutReading reading = ReadSampleLayout(destinationFormat, destinationLength);
    const SampleLayout& layout = reading.Layout;
    if (reading.Verdict != LayoutVerdict::Readable || layout.Coding != SampleCoding::Integer ||
        layout.ContainerBytes > 2 || layout.Channels > 2 || written.size() < 2 ||
        (written[0] == LOBYTE(WAVE_FORMAT_PCM) && written[1] == 0))
        return written;
    WAVEFORMATEX plain = PcmRecord({layout.SamplesPerSecond, layout.Channels, WORD(layout.ContainerBytes * 8)});
    written.assign(reinterpret_cast<const BYTE*>(&plain), reinterpret_cast<const BYTE*>(&plain) + 16);
    return written;
}

bool NeedsFactChunk(const std::vector<BYTE>& writtenFormat)
{
    return writtenFormat.size() < 2 || writtenFormat[0] != LOBYTE(WAVE_FORMAT_PCM) || writtenFormat[1] != 0;
}
