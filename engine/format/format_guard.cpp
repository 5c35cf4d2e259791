// Guarding stored formats before a codec sees them.
#include "engine/format/format_guard.h"
#include <cstring>

GuardedFormat ClampFormat(const void* format, DWORD length)
{
    GuardedFormat copy;
    copy.Length = length < MaxFormatBytes ? length : MaxFormatBytes;
    if (format != nullptr)
        memcpy(copy.Bytes, format, copy.Length);
    DWORD room = copy.Length > sizeof(WAVEFORMATEX) ? copy.Length - sizeof(WAVEFORMATEX) : 0;
    // Also a format of 17 bytes, which ends inside the count: its low byte
    // alone would claim up to 255 extra bytes that are not there. A codec
    // that believes the count copies that many bytes from wherever the
    // format lies.
    if (copy.Get()->cbSize > room)
        copy.Get()->cbSize = WORD(room);
    return copy;
}

// Some codecs divide by the block alignment or, for the block-coded ADPCM
// and GSM formats, by the samples per block (the first word behind the extra
// byte count), and the platform's PCM converter ends the whole process on a
// data rate of 0. No real format has any of these 0.
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

std::optional<GuardedFormat> GuardFormat(const void* format, DWORD length)
{
    GuardedFormat copy = ClampFormat(format, length);
    if (!CodecsCanTake(copy.Fields()))
        return std::nullopt;
    return copy;
}
