// The format chooser's compatibility check: whether the converter will find
// a way, through its chain of stages and the installed codecs, from every
// selected row's source format into a candidate format. The codecs are
// asked each stage's question once per opening of the chooser (see
// sources/stage_verdicts.h), and the verdict on a candidate is kept while
// the chooser is open, since it asks about the same candidates again when
// the user returns to a tag. Rows whose format no stage can read (a tag no
// installed codec decodes) are left out of the check, so that they do not
// empty the chooser for all the others; the caller tells the user about them.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "engine/convert/conversion_plan.h"
#include "sources/stage_verdicts.h"

class CompatibilityCheck {
public:
    // The distinct source formats of the list's selected rows, in the order
    // of their first rows, sorted into those some stage reads and those none
    // does, the codecs asked with the given stream open flags; false when a
    // row's entry cannot be locked.
    bool GatherSelectedFormats(HWND list, DWORD openFlags);

    // True when every gathered source format that a stage reads reaches the
    // candidate (also when there is none).
    bool CanReachAll(const WAVEFORMATEX& candidate);

    // Whether a gathered source format is one that no stage reads.
    bool IsUnreadable(const void* format, DWORD length) const;

    // How many questions reached the codecs since the formats were gathered.
    size_t CodecQuestions() const { return stages_ ? stages_->CodecQuestions() : 0; }

private:
    std::vector<std::string> sources_;
    std::vector<std::string> unreadable_;
    std::map<std::string, bool> verdicts_;  // by the candidate's bytes
    std::unique_ptr<StageVerdicts> stages_;
};

// Where the compatibility check asks the codecs: acmStreamOpen, unless a test
// listens in on the formats they are handed.
extern StreamOpenFunction CompatibilityQuery;
