// How the first stage of a conversion reads its source.
#include "engine/convert/source_shape.h"
#include <cstring>
#include "engine/format/derived_fields.h"
#include "engine/format/format_guard.h"
#include "engine/format/sample_layout.h"

SourceShape ShapeSource(const ConversionPlan& plan, const WaveReader& reader, const void* sourceFormat,
                        DWORD sourceFormatLength, const WAVEFORMATEX& destination)
{
    SourceShape shape;
    LayoutReading reading = ReadSampleLayout(sourceFormat, sourceFormatLength);
    if (reader.BigEndian) {
        shape.SwapWidth = reading.Layout.ContainerBytes;
        shape.FrameBytes = reading.Layout.FrameBytes;
    }
    if (reading.Verdict == LayoutVerdict::Readable) {
        // Only a PCM source meets a codec here: the one stream encodes it.
        shape.EncodedBlock = plan.Direct ? destination.nBlockAlign : 0;
        shape.Padding = reading.Layout.ValidBits == 8 && reading.Layout.ContainerBytes == 1 ? 0x80 : 0;
        return shape;
    }
    GuardedFormat source = ClampFormat(sourceFormat, sourceFormatLength);
    DeriveFormatFields(*source.Get(), source.Length);
    const WAVEFORMATEX& fields = source.Fields();
    const bool toPcm = plan.DecodeByCodec || destination.wFormatTag == WAVE_FORMAT_PCM;
    const DWORD outputRate = plan.DecodeByCodec ? plan.Decoded.SamplesPerSecond : destination.nSamplesPerSec;
    if (!toPcm || outputRate != fields.nSamplesPerSec)
        return shape;
    shape.CodecBlock = fields.nBlockAlign;
    shape.Decoding = true;
    shape.Tag = fields.wFormatTag;
    shape.Channels = fields.nChannels;
    WORD samplesPerBlock = 0;
    if (fields.cbSize >= sizeof(samplesPerBlock))
        memcpy(&samplesPerBlock, source.Bytes + sizeof(WAVEFORMATEX), sizeof(samplesPerBlock));
    shape.SamplesPerBlock = samplesPerBlock;
    shape.OutputFrameBytes = plan.DecodeByCodec ? plan.Decoded.FrameBytes : destination.nBlockAlign;
    if (reader.HasFact)
        shape.OutputLimit = uint64_t(reader.FactCount) * shape.OutputFrameBytes;
    return shape;
}
