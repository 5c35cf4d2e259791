// The format chooser's compatibility check: whether the installed codecs can
// convert every selected row's source format into a candidate format. A
// thousand rows mostly hold two or three distinct source formats, and the
// chooser asks about the same candidates again when the user returns to a
// tag, so the codecs are asked once per distinct source format and
// candidate, and the answers are kept while the chooser is open.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <map>
#include <string>
#include <vector>

class CompatibilityCheck {
public:
    // The distinct source formats of the list's selected rows, in the order
    // of their first rows; false when a row's entry cannot be locked.
    bool GatherSelectedFormats(HWND list);

    // True when every gathered source format can be converted into the
    // candidate with the given stream open flags (also when there is none);
    // the codecs are asked once per source format and candidate.
    bool CanReachAll(const WAVEFORMATEX& candidate, DWORD openFlags);

private:
    std::vector<std::string> sources_;
    std::map<std::string, bool> verdicts_;  // by the candidate's bytes
};

// Whether the codecs can convert source (a stored format of length bytes)
// into candidate: a query that opens no stream, given the source only as the
// format guard lets it through. A refused source reaches no format.
bool CanConvertFormat(const void* source, DWORD length, const WAVEFORMATEX& candidate, DWORD openFlags);

// Where the compatibility check asks the codecs: acmStreamOpen, unless a test
// listens in on the formats they are handed.
using StreamOpenFunction = MMRESULT(ACMAPI*)(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX source,
                                             LPWAVEFORMATEX destination, LPWAVEFILTER filter, DWORD_PTR callback,
                                             DWORD_PTR instance, DWORD flags);
extern StreamOpenFunction CompatibilityQuery;
