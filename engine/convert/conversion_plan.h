// Which stages carry a file from its source format to its destination
// format, decided from the bytes of the two formats alone: the codecs are
// asked only about the stages that need one, so the format chooser can ask
// the converter's own question for a candidate without opening a file.
//
// The stages, in their order:
// - decode: the program's own sample reader (integer PCM of any valid bits,
//   IEEE float, extensible), or for every other tag the codec that decodes
//   it to the PCM that acmFormatSuggest names;
// - condition: the sample chain (channels, rate, word length) to the PCM the
//   destination is, when it is 8 or 16-bit PCM, or to 16-bit PCM at the
//   destination's rate and channel count for the codec that encodes it;
// - encode: that codec, or for PCM the chain's words written as they are.
// Where one codec stream converts the source into the destination without a
// change of rate, channel count or PCM sample size, that stream is the only
// stage (Direct): it changes only the coding, at the least cost. A pair the
// chain cannot reach is still tried as one stream, the last resort; float
// and extensible sources never are, since no codec takes them.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <functional>
#include <optional>
#include <vector>
#include "engine/chain/sample_chain.h"
#include "engine/format/sample_layout.h"

// The codec streams a conversion may need.
enum class CodecStage : BYTE {
    Direct,  // the whole conversion: source to destination
    Decode,  // source to PCM
    Encode,  // PCM to destination
};

// Asked for each codec stage the plan would use: whether the codecs convert
// from into to. A check may query only, or open the stream that the
// conversion then uses (it keeps the last one opened for each stage). Both
// formats are whole WAVEFORMATEX records whose extra byte count holds.
using CodecStageCheck = std::function<bool(CodecStage stage, WAVEFORMATEX* from, WAVEFORMATEX* to)>;

// Asked for a source that a codec decodes: the PCM its decoder gives, as
// the codecs suggest it (SuggestDecodedPcm), or whatever a caller keeps of
// their answers.
using DecodedPcmSuggestion = std::function<std::optional<WAVEFORMATEX>(WAVEFORMATEX* source)>;

// The codecs' suggestion of the PCM that decodes source (acmFormatSuggest);
// nothing when none decodes it to PCM that the chain reads.
std::optional<WAVEFORMATEX> SuggestDecodedPcm(WAVEFORMATEX* source);

struct ConversionPlan {
    bool Direct = false;         // one stream, source to destination, and nothing else
    bool DecodeByCodec = false;  // else: a codec decodes the source to the PCM of Decoded
    bool EncodeByCodec = false;  // else: the chain's PCM is the destination's audio
    SampleLayout Decoded;        // the PCM the chain reads, of the source or of its decoder
    ChainTarget Target;          // the PCM the chain delivers
};

// The stages from sourceFormat to destinationFormat (each as stored: its
// bytes and their count), or nothing when no way is found, also when a
// format is refused (PCM or float whose fields contradict each other, or a
// format no codec may be shown). check is asked about each codec stage in
// the order of preference: Direct first where it applies, then Decode and
// Encode of the chain, then Direct as the last resort. viaChain passes over
// the first Direct: a file brought to a level needs the chain's gain.
std::optional<ConversionPlan> PlanConversion(const void* sourceFormat, DWORD sourceLength,
                                             const void* destinationFormat, DWORD destinationLength,
                                             const CodecStageCheck& check,
                                             const DecodedPcmSuggestion& suggest = SuggestDecodedPcm,
                                             bool viaChain = false);

// Whether PlanConversion finds a way, asking the codecs as little as may be:
// the chain first, whose codec questions (decoding this source, encoding
// this destination) recur across pairs, and the one stream of the pair only
// where the chain finds none. The answer is PlanConversion's, has_value().
bool ConversionReachable(const void* sourceFormat, DWORD sourceLength, const void* destinationFormat,
                         DWORD destinationLength, const CodecStageCheck& check,
                         const DecodedPcmSuggestion& suggest = SuggestDecodedPcm);

// Whether any stage reads the source format: the program's own reader, or a
// codec that decodes it to PCM the chain reads (check asked about its
// Decode stage). A format no stage reads reaches no destination.
bool SourceReadable(const void* sourceFormat, DWORD sourceLength, const CodecStageCheck& check,
                    const DecodedPcmSuggestion& suggest = SuggestDecodedPcm);

// Where the codecs are asked: acmStreamOpen, or whatever a caller listens in
// on the formats they are handed with.
using StreamOpenFunction = MMRESULT(ACMAPI*)(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX source,
                                             LPWAVEFORMATEX destination, LPWAVEFILTER filter, DWORD_PTR callback,
                                             DWORD_PTR instance, DWORD flags);

// For the format chooser: whether ConvertFile will find a way from the
// source format to the candidate, with the stream open flags it will use
// (ConversionStreamOpenFlags). Opens no stream: each codec stage is a query
// (ACM_STREAMOPENF_QUERY) through query. A PCM candidate of 8 or 16 bits
// that the chain reaches from a source the own reader takes costs no query
// at all.
bool ChainCanReach(const void* sourceFormat, DWORD sourceLength, const void* destinationFormat,
                   DWORD destinationLength, DWORD openFlags, StreamOpenFunction query = acmStreamOpen);

// The bytes of a destination's "fmt " chunk: the destination format as
// chosen, except that PCM of up to 16 bits and two channels is always the
// plain 16-byte record, never WAVE_FORMAT_EXTENSIBLE, which the readers of
// telephone systems do not take.
std::vector<BYTE> DestinationHeaderFormat(const void* destinationFormat, DWORD destinationLength);

// Whether a destination whose "fmt " chunk holds writtenFormat carries a
// "fact" chunk with its sample count: every format but PCM does.
bool NeedsFactChunk(const std::vector<BYTE>& writtenFormat);
