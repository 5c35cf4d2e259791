// The codecs' answers kept for one opening of the chooser.
#include "sources/stage_verdicts.h"

namespace {

// A whole WAVEFORMATEX with its extra bytes, as the codecs read it.
std::string FormatKey(const WAVEFORMATEX* format)
{
    const char* bytes = reinterpret_cast<const char*>(format);
    return std::string(bytes, sizeof(WAVEFORMATEX) + format->cbSize);
}

}  // namespace

CodecStageCheck StageVerdicts::Check()
{
    return [this](CodecStage, WAVEFORMATEX* from, WAVEFORMATEX* to) { return Ask(from, to); };
}

DecodedPcmSuggestion StageVerdicts::Suggestion()
{
    return [this](WAVEFORMATEX* source) { return Suggest(source); };
}

bool StageVerdicts::Ask(WAVEFORMATEX* from, WAVEFORMATEX* to)
{
    std::string key = FormatKey(from);
    key += FormatKey(to);
    auto known = streams_.find(key);
    if (known != streams_.end())
        return known->second;
    ++questions_;
    bool verdict = query_(nullptr, nullptr, from, to, nullptr, 0, 0, flags_ | ACM_STREAMOPENF_QUERY) ==
                   MMSYSERR_NOERROR;
    streams_.emplace(std::move(key), verdict);
    return verdict;
}

std::optional<WAVEFORMATEX> StageVerdicts::Suggest(WAVEFORMATEX* source)
{
    std::string key = FormatKey(source);
    auto known = suggestions_.find(key);
    if (known != suggestions_.end())
        return known->second;
    ++questions_;
    std::optional<WAVEFORMATEX> suggested = SuggestDecodedPcm(source);
    suggestions_.emplace(std::move(key), suggested);
    return suggested;
}
