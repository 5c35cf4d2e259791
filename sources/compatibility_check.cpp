// The format chooser's compatibility check.
#include "sources/compatibility_check.h"
#include <commctrl.h>
#include <msacm.h>
#include "sources/source_entry.h"

namespace {

// A candidate as the chooser hands it over: the record and its extra bytes.
std::string CandidateKey(const WAVEFORMATEX& candidate)
{
    const char* bytes = reinterpret_cast<const char*>(&candidate);
    return std::string(bytes, sizeof(WAVEFORMATEX) + candidate.cbSize);
}

}  // namespace

bool CompatibilityCheck::GatherSelectedFormats(HWND list)
{
    sources_.clear();
    verdicts_.clear();
    for (int row = NextSelectedRow(list, -1); row != -1; row = NextSelectedRow(list, row)) {
        HGLOBAL entry = GetRowEntry(list, row);
        // A row whose item data cannot be read does not count against a format.
        if (entry == nullptr)
            continue;
        BYTE bytes[MaxFormatBytes];
        DWORD length = 0;
        if (!CopySourceFormat(entry, bytes, sizeof(bytes), &length))
            return false;
        std::string format(reinterpret_cast<const char*>(bytes), length);
        bool known = false;
        for (const std::string& source : sources_)
            known = known || source == format;
        if (!known)
            sources_.push_back(std::move(format));
    }
    return true;
}

bool CompatibilityCheck::CanReachAll(const WAVEFORMATEX& candidate, DWORD openFlags)
{
    std::string key = CandidateKey(candidate);
    auto known = verdicts_.find(key);
    if (known != verdicts_.end())
        return known->second;
    bool verdict = true;
    for (const std::string& source : sources_) {
        if (!CanConvertFormat(source.data(), DWORD(source.size()), candidate, openFlags)) {
            verdict = false;
            break;
        }
    }
    verdicts_.emplace(std::move(key), verdict);
    return verdict;
}

StreamOpenFunction CompatibilityQuery = acmStreamOpen;

bool CanConvertFormat(const void* source, DWORD length, const WAVEFORMATEX& candidate, DWORD openFlags)
{
    return ChainCanReach(source, length, &candidate, sizeof(WAVEFORMATEX) + candidate.cbSize, openFlags,
                         CompatibilityQuery);
}
