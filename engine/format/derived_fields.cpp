// Deriving a format's dependent fields.
#include "engine/format/derived_fields.h"
#include <cstdint>
#include <cstring>
#include "engine/format/sample_layout.h"

namespace {

// The samples each block of a block-coded format holds: the first word
// behind the extra byte count; 0 when there is none.
WORD SamplesPerBlock(const WAVEFORMATEX& format)
{
    WORD samples = 0;
    if (format.cbSize >= sizeof(samples))
        memcpy(&samples, reinterpret_cast<const BYTE*>(&format) + sizeof(WAVEFORMATEX), sizeof(samples));
    return samples;
}

void SetByteRate(WAVEFORMATEX& format, uint64_t rate)
{
    if (rate > 0 && rate <= 0xFFFFFFFFu)
        format.nAvgBytesPerSec = DWORD(rate);
}

}  // namespace

void DeriveFormatFields(WAVEFORMATEX& format, DWORD length)
{
    LayoutReading reading = ReadSampleLayout(&format, length);
    if (reading.Verdict == LayoutVerdict::Readable) {
        const SampleLayout& layout = reading.Layout;
        format.nBlockAlign = layout.FrameBytes;
        if (IsG711(layout))
            format.wBitsPerSample = 8;
        SetByteRate(format, uint64_t(layout.SamplesPerSecond) * layout.FrameBytes);
        return;
    }
    switch (format.wFormatTag) {
    case WAVE_FORMAT_ADPCM:
    case WAVE_FORMAT_IMA_ADPCM:
    case WAVE_FORMAT_GSM610: {
        WORD samples = SamplesPerBlock(format);
        if (samples != 0 && format.nBlockAlign != 0)
            SetByteRate(format, uint64_t(format.nSamplesPerSec) * format.nBlockAlign / samples);
        break;
    }
    default:
        break;
    }
}
