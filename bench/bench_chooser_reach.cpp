// Which destination formats the format chooser offers for each kind of
// source: through the converter's chain (what the chooser asks now) and
// through one codec stream alone (what it asked before the chain existed),
// with the flags the converter opens its streams with. Prints one table:
// "chain/stream", each "yes" or "-", and each source's description in the
// list, marked "(own)" where no codec describes it and the program does.
#include <windows.h>
#include <cstdio>
#include <string>
#include "engine/convert/conversion_plan.h"
#include "engine/convert/convert_file.h"
#include "engine/format/format_guard.h"
#include "sources/format_description.h"
#include "sources/format_names.h"
#include "support/test_files.h"

namespace {

bool OneStream(const Bytes& source, const Bytes& destination, DWORD flags)
{
    std::optional<GuardedFormat> from = GuardFormat(source.data(), DWORD(source.size()));
    std::optional<GuardedFormat> to = GuardFormat(destination.data(), DWORD(destination.size()));
    return from && to &&
           acmStreamOpen(nullptr, nullptr, from->Get(), to->Get(), nullptr, 0, 0, flags | ACM_STREAMOPENF_QUERY) == 0;
}

// The list's text for a source, and whether the codecs alone describe it.
std::string Description(const Bytes& format)
{
    char text[DescriptionChars] = "(none)";
    DescribeFormat(format.data(), DWORD(format.size()), text);
    std::optional<GuardedFormat> guarded = GuardFormat(format.data(), DWORD(format.size()));
    char tag[ACMFORMATTAGDETAILS_FORMATTAG_CHARS], name[ACMFORMATDETAILS_FORMAT_CHARS];
    bool byCodecs = guarded && GetFormatTagName(guarded->Fields().wFormatTag, tag) &&
                    GetFormatName(guarded->Get(), DWORD(format.size()), name);
    return std::string(text) + (byCodecs ? "" : " (own)");
}

}  // namespace

int main()
{
    const WORD ext = WAVE_FORMAT_EXTENSIBLE;
    const struct {
        const char* name;
        Bytes format;
    } sources[] = {
        {"PCM 8-bit 11,025 Hz mono", WaveFormat(1, 1, 11025, 8)},
        {"PCM 16-bit 8,000 Hz mono", PcmFormat(1, 8000, 16)},
        {"PCM 16-bit 11,025 Hz mono", PcmFormat(1, 11025, 16)},
        {"PCM 16-bit 22,050 Hz mono", PcmFormat(1, 22050, 16)},
        {"PCM 16-bit 44,100 Hz mono", PcmFormat(1, 44100, 16)},
        {"PCM 16-bit 44,100 Hz stereo", PcmFormat(2, 44100, 16)},
        {"PCM 16-bit 48,000 Hz mono", PcmFormat(1, 48000, 16)},
        {"PCM 16-bit 48,000 Hz stereo", PcmFormat(2, 48000, 16)},
        {"PCM 24-bit 48,000 Hz mono", WaveFormat(1, 1, 48000, 24)},
        {"PCM 24-bit 48,000 Hz stereo", WaveFormat(1, 2, 48000, 24)},
        {"PCM 32-bit 48,000 Hz stereo", WaveFormat(1, 2, 48000, 32)},
        {"IEEE float 32 44,100 Hz mono", WaveFormat(3, 1, 44100, 32)},
        {"IEEE float 64 48,000 Hz stereo", WaveFormat(3, 2, 48000, 64)},
        {"extensible 20 in 24 48 kHz st.", WaveFormat(ext, 2, 48000, 24, 20, 3)},
        {"extensible 5.1 16-bit 48 kHz", WaveFormat(ext, 6, 48000, 16, 16, 0x3F)},
        {"IMA ADPCM 22,050 Hz mono", SuggestFormat(PcmFormat(1, 22050, 16), WAVE_FORMAT_IMA_ADPCM)},
        {"GSM 6.10 8,000 Hz mono", SuggestFormat(PcmFormat(1, 8000, 16), WAVE_FORMAT_GSM610)},
    };
    const Bytes pcm8k = PcmFormat(1, 8000, 16);
    const struct {
        const char* name;
        Bytes format;
    } destinations[] = {
        {"u-law 8k", SuggestFormat(pcm8k, WAVE_FORMAT_MULAW)},
        {"A-law 8k", SuggestFormat(pcm8k, WAVE_FORMAT_ALAW)},
        {"GSM 8k", SuggestFormat(pcm8k, WAVE_FORMAT_GSM610)},
        {"IMA 8k", SuggestFormat(pcm8k, WAVE_FORMAT_IMA_ADPCM)},
        {"IMA 22k", SuggestFormat(PcmFormat(1, 22050, 16), WAVE_FORMAT_IMA_ADPCM)},
        {"PCM 8k 16", pcm8k},
    };
    const DWORD flags = ConversionStreamOpenFlags(false);
    printf("%-32s", "source \\ destination (chain/stream)");
    for (const auto& destination : destinations)
        printf(" %-10s", destination.name);
    printf(" description\n");
    for (const auto& source : sources) {
        printf("%-32s", source.name);
        for (const auto& destination : destinations) {
            const Bytes &from = source.format, &to = destination.format;
            bool chain = ChainCanReach(from.data(), DWORD(from.size()), to.data(), DWORD(to.size()), flags);
            std::string cell = std::string(chain ? "yes" : "-") + "/" + (OneStream(from, to, flags) ? "yes" : "-");
            printf(" %-10s", cell.c_str());
        }
        printf(" %s\n", Description(source.format).c_str());
    }
    return 0;
}
