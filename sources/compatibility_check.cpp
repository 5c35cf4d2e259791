// The format chooser's compatibility check.
#include "sources/compatibility_check.h"
#include <commctrl.h>
#include <algorithm>
#include <msacm.h>
#include "sources/source_entry.h"

namespace {

// A candidate as the chooser hands it over: the record and its extra bytes.
std::string CandidateKey(const WAVEFORMATEX& candidate)
{
    const char* bytes = reinterpret_cast<const char*>(&candidate);
    return std::string(bytes, sizeof(WAVEFORMATEX) + candidate.cbSize);
}

bool Holds(const std::vector<std::string>& formats, const std::string& format)
{
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

}  // namespace

bool CompatibilityCheck::GatherSelectedFormats(HWND list, DWORD openFlags)
{
    sources_.clear();
    unreadable_.clear();
    verdicts_.clear();
    stages_ = std::make_unique<StageVerdicts>(CompatibilityQuery, openFlags);
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
        if (Holds(sources_, format) || Holds(unreadable_, format))
            continue;
        bool readable = SourceReadable(bytes, length, stages_->Check(), stages_->Suggestion());
        (readable ? sources_ : unreadable_).push_back(std::move(format));
    }
    return true;
}

bool CompatibilityCheck::CanReachAll(const WAVEFORMATEX& candidate)
{
    std::string key = CandidateKey(candidate);
    auto known = verdicts_.find(key);
    if (known != verdicts_.end())
        return known->second;
    bool verdict = true;
    const DWORD length = DWORD(key.size());
    for (const std::string& source : sources_) {
        if (!stages_ || !ConversionReachable(source.data(), DWORD(source.size()), key.data(), length,
                                             stages_->Check(), stages_->Suggestion())) {
            verdict = false;
            break;
        }
    }
    verdicts_.emplace(std::move(key), verdict);
    return verdict;
}

bool CompatibilityCheck::IsUnreadable(const void* format, DWORD length) const
{
    return Holds(unreadable_, std::string(static_cast<const char*>(format), length));
}

StreamOpenFunction CompatibilityQuery = acmStreamOpen;
