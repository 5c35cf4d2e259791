// The one view of a stored format that may reach a codec or a formula: a
// copy zero-filled behind its bytes whose extra byte count never claims more
// than the bytes hold, and the refusal of formats that no codec may be shown.
// A format read from a file or kept in a row is only ever handed on this way.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <optional>
#include "engine/format/format_size.h"

struct GuardedFormat {
    // Room for the largest stored format and a whole WAVEFORMATEX behind a
    // short one, so a 16-byte PCM format reads an extra byte count of 0.
    alignas(WAVEFORMATEX) BYTE Bytes[MaxFormatBytes + sizeof(WAVEFORMATEX)] = {};
    DWORD Length = 0;  // the bytes given, at most MaxFormatBytes

    WAVEFORMATEX* Get() { return reinterpret_cast<WAVEFORMATEX*>(Bytes); }
    const WAVEFORMATEX& Fields() const { return *reinterpret_cast<const WAVEFORMATEX*>(Bytes); }
};

// The copy of a format, also of one the codecs must not see: for showing its
// fields. Bytes beyond MaxFormatBytes are not taken.
GuardedFormat ClampFormat(const void* format, DWORD length);

// Whether a format, as ClampFormat leaves it, may be handed to the codecs.
bool CodecsCanTake(const WAVEFORMATEX& format);

// The copy the codecs may be given, or nothing when the format is refused:
// it is then treated as one that no codec knows or can convert.
std::optional<GuardedFormat> GuardFormat(const void* format, DWORD length);
