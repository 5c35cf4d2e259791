// Malformed and unusual source files through every reader of a source: each
// must end in a failure result or a valid destination, never in a crash, a
// hang, a read or write past a buffer, or a write beside the destination.
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <map>
#include "engine/convert_file.h"
#include "support/corpus_run.h"
#include "support/wave_corpus.h"

namespace {

// The mutations of the normal run: a fixed sample, the same every time.
constexpr uint64_t MutationSeed = 20240611;
constexpr size_t MutationSample = 300;

void RunAll(const std::vector<CorpusFile>& corpus, std::map<std::string, CorpusOutcome>* outcomes = nullptr)
{
    CorpusRunner runner;
    const char* skip = getenv("CORPUS_SKIP");
    for (const CorpusFile& file : corpus) {
        if (skip != nullptr && strstr(skip, ("|" + file.Name + "|").c_str()) != nullptr)
            continue;
        CorpusOutcome outcome = runner.Run(file);
        for (const std::string& fault : outcome.Faults)
            ADD_FAILURE() << file.Name << ": " << fault;
        if (outcomes != nullptr)
            (*outcomes)[file.Name] = outcome;
    }
}

}  // namespace

TEST(WaveCorpus, IsTheSameForTheSameSeed)
{
    std::vector<CorpusFile> a = MutatedCorpus(7, 50);
    std::vector<CorpusFile> b = MutatedCorpus(7, 50);
    std::vector<CorpusFile> c = MutatedCorpus(8, 50);
    ASSERT_EQ(a.size(), 50u);
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Name, b[i].Name);
        EXPECT_EQ(a[i].Content, b[i].Content);
        differing += a[i].Content != c[i].Content;
    }
    EXPECT_GT(differing, 25u);
    // Every mutation differs from the file it started from.
    for (const CorpusFile& file : a)
        EXPECT_NE(file.Content, CorpusBaseWave()) << file.Name;
}

TEST(WaveCorpus, ReadsTheValidFileByTheRules)
{
    ExpectedReading valid = ReadByTheRules(CorpusBaseWave());
    EXPECT_TRUE(valid.FormatRead);
    EXPECT_EQ(valid.Format, CorpusBaseFormat());
    EXPECT_TRUE(valid.DataFound);
    EXPECT_EQ(valid.DataSize, 6000u);
    EXPECT_EQ(valid.DataOffset, 44u);
}

TEST(BadInput, TheValidFileConvertsToEveryTarget)
{
    CorpusRunner runner;
    CorpusOutcome outcome = runner.Run({"valid", CorpusBaseWave()});
    EXPECT_TRUE(outcome.Faults.empty());
    EXPECT_TRUE(outcome.FormatRead);
    EXPECT_TRUE(outcome.DataOpened);
    EXPECT_TRUE(outcome.Described);
    ASSERT_EQ(outcome.Results.size(), runner.Targets().size());
    for (size_t i = 0; i < outcome.Results.size(); ++i)
        EXPECT_EQ(outcome.Results[i], Converted) << runner.Targets()[i].Name;
}

TEST(BadInput, StructuredCasesEndInADocumentedResult)
{
    std::map<std::string, CorpusOutcome> outcomes;
    RunAll(StructuredCorpus(), &outcomes);
    // A few whose result is known, so that the run shows it reached them.
    ASSERT_TRUE(outcomes.count("empty file"));
    EXPECT_FALSE(outcomes["empty file"].FormatRead);
    EXPECT_FALSE(outcomes["empty file"].DataOpened);
    EXPECT_TRUE(outcomes["fmt of 1024 bytes"].FormatRead);
    EXPECT_FALSE(outcomes["fmt of 1025 bytes"].FormatRead);
    EXPECT_TRUE(outcomes["data before fmt"].FormatRead);
    EXPECT_TRUE(outcomes["data before fmt"].DataOpened);
}

TEST(BadInput, SeededMutationsEndInADocumentedResult)
{
    RunAll(MutatedCorpus(MutationSeed, MutationSample));
}
