// The codecs' answers within one opening of the format chooser. The
// compatibility check asks, for every selected source format and every
// candidate, the converter's own question, which splits into stages: does a
// codec decode this source to PCM, does one encode this candidate from
// 16-bit PCM at its rate and channels, and, where it applies, does one
// stream convert the pair. Each of these is asked of the codecs once and
// kept, so a selection of a hundred source formats costs a hundred decoding
// questions and one encoding question per candidate, not their product.
#pragma once
#include <windows.h>
#include <map>
#include <optional>
#include <string>
#include "engine/convert/conversion_plan.h"

class StageVerdicts {
public:
    // Asks through query (acmStreamOpen, or what a test listens in with),
    // every stream question with ACM_STREAMOPENF_QUERY and openFlags.
    StageVerdicts(StreamOpenFunction query, DWORD openFlags) : query_(query), flags_(openFlags) {}

    // The check and the suggestion that PlanConversion takes, answered from
    // what was asked before where the same formats were asked about. They
    // refer to this object, which must outlive them.
    CodecStageCheck Check();
    DecodedPcmSuggestion Suggestion();

    // How many questions reached the codecs.
    size_t CodecQuestions() const { return questions_; }

private:
    bool Ask(WAVEFORMATEX* from, WAVEFORMATEX* to);
    std::optional<WAVEFORMATEX> Suggest(WAVEFORMATEX* source);

    StreamOpenFunction query_;
    DWORD flags_;
    std::map<std::string, bool> streams_;  // by the two formats' bytes
    std::map<std::string, std::optional<WAVEFORMATEX>> suggestions_;  // by the source's bytes
    size_t questions_ = 0;
};
