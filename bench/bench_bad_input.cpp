// The whole corpus of malformed WAVE files (the hand-made cases and several
// thousand seeded mutations) through the readers, the description, the
// format panels and the converter, as the test runs a sample of it. Prints
// how many files ended in each outcome, every departure from a documented
// result, and the time taken. Usage: bench_bad_input [mutations] [seed]
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include "engine/convert/convert_file.h"
#include "support/corpus_run.h"
#include "support/wave_corpus.h"

namespace {

const char* ResultName(ConvertResult result)
{
    switch (result) {
    case ConvertResult::Converted:
        return "Converted";
    case ConvertResult::Failed:
        return "Failed";
    case ConvertResult::Aborted:
        return "Aborted";
    }
    return "other";
}

}  // namespace

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    size_t mutations = argc > 1 ? size_t(strtoul(argv[1], nullptr, 10)) : 5000;
    uint64_t seed = argc > 2 ? strtoull(argv[2], nullptr, 10) : 1;

    LARGE_INTEGER frequency, start, made, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<CorpusFile> corpus = StructuredCorpus();
    size_t structured = corpus.size();
    for (CorpusFile& file : MutatedCorpus(seed, mutations))
        corpus.push_back(std::move(file));
    QueryPerformanceCounter(&made);

    std::map<std::string, size_t> counts;
    size_t faults = 0;
    {
        CorpusRunner runner;
        for (const CorpusFile& file : corpus) {
            CorpusOutcome outcome = runner.Run(file);
            counts[outcome.FormatRead ? "ReadSourceFormat ok" : "ReadSourceFormat failed"] += 1;
            counts[outcome.DataOpened ? "OpenWaveData ok" : "OpenWaveData failed"] += 1;
            if (outcome.FormatRead)
                counts[outcome.Described ? "DescribeFormat ok" : "DescribeFormat failed"] += 1;
            for (size_t i = 0; i < outcome.Results.size(); ++i)
                counts[std::string("ConvertFile to ") + runner.Targets()[i].Name + ": " +
                       ResultName(outcome.Results[i])] += 1;
            for (const std::string& fault : outcome.Faults) {
                ++faults;
                printf("FAULT %s: %s\n", file.Name.c_str(), fault.c_str());
            }
        }
    }
    QueryPerformanceCounter(&end);

    double making = double(made.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    double running = double(end.QuadPart - made.QuadPart) / double(frequency.QuadPart);
    printf("files: %zu (%zu hand-made, %zu mutations, seed %llu)\n", corpus.size(), structured, mutations,
           static_cast<unsigned long long>(seed));
    for (const auto& [outcome, count] : counts)
        printf("  %-45s %zu\n", outcome.c_str(), count);
    printf("faults: %zu\n", faults);
    printf("corpus made in %.3f s; run in %.1f s, %.1f ms per file\n", making, running,
           1000.0 * running / double(corpus.size()));
    return faults == 0 ? 0 : 1;
}
