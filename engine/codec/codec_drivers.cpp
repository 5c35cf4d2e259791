// The codec drivers kept open for a batch.
#include "engine/codec/codec_drivers.h"

namespace {

void AppendFormat(std::string& pair, const WAVEFORMATEX& format)
{
    const char* bytes = reinterpret_cast<const char*>(&format);
    pair.append(bytes, sizeof(WAVEFORMATEX) + format.cbSize);
}

}  // namespace

CodecDrivers::~CodecDrivers()
{
    for (Kept& kept : kept_)
        acmDriverClose(kept.Driver, 0);
}

MMRESULT CodecDrivers::OpenStream(HACMSTREAM* stream, WAVEFORMATEX* source, WAVEFORMATEX* destination, DWORD flags)
{
    std::string pair(reinterpret_cast<const char*>(&flags), sizeof(flags));
    AppendFormat(pair, *source);
    AppendFormat(pair, *destination);
    for (const Kept& kept : kept_)
        if (kept.Pair == pair)
            return acmStreamOpen(stream, kept.Driver, source, destination, nullptr, 0, 0, flags);

    MMRESULT result = acmStreamOpen(stream, nullptr, source, destination, nullptr, 0, 0, flags);
    if (result != MMSYSERR_NOERROR || kept_.size() >= MaxKept)
        return result;
    // The driver that took the pair, kept open under a handle of its own.
    HACMDRIVERID id = nullptr;
    HACMDRIVER driver = nullptr;
    if (acmDriverID(reinterpret_cast<HACMOBJ>(*stream), &id, 0) == MMSYSERR_NOERROR &&
        acmDriverOpen(&driver, id, 0) == MMSYSERR_NOERROR)
        kept_.push_back({ std::move(pair), driver });
    return result;
}
