// The format chooser's compatibility check: whether the converter will find
// a way, through its chain of stages and the installed codecs, from every
// selected row's source format into a candidate format. A
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
#include "engine/convert/conversion_plan.h"

class CompatibilityCheck {
public:
    // The distinct source formats of the list's selected rows, in the order
    // of their first rows; false when a row's entry cannot be locked.
    bool GatherSelectedFormats(HWND list);

    // True when every gathered source format reaches the candidate with the
    // given stream open flags (also when there is none); asked once per
    // source format and candidate.
    bool CanReachAll(const WAVEFORMATEX& candidate, DWORD openFlags);

private:
    std::vector<std::string> sources_;
    std::map<std::string, bool> verdicts_;  // by the candidate's bytes
};

// Whether the converter reaches candidate from source (a stored format of
// length bytes): the plan of its stages, each codec stage a query that
// opens no stream, through CompatibilityQuery. A refused source reaches no
// format.
bool CanConvertFormat(const void* source, DWORD length, const WAVEFORMATEX& candidate, DWORD openFlags);

// Where the compatibility check asks the codecs: acmStreamOpen, unless a test
// listens in on the formats they are handed.
extern StreamOpenFunction CompatibilityQuery;
