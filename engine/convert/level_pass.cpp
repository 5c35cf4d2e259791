// Measuring a file's level before it converts.
#include "engine/convert/level_pass.h"
#include <new>
#include <vector>
#include "engine/chain/sample_chain.h"
#include "engine/convert/source_blocks.h"
#include "engine/convert/source_stage.h"

namespace {

// Takes everything the chain makes of what was put into it; the meter has
// heard it on the way. A long resample heeds an abort between its pieces.
ConvertResult DrainToMeter(SampleChain& chain, std::vector<BYTE>& room, ConversionHost* host)
{
    for (;;) {
        DWORD made = 0;
        if (!chain.Take(room.data(), DWORD(room.size()), &made))
            return ConvertResult::Failed;
        if (made == 0)
            return ConvertResult::Converted;
        if (host != nullptr && host->AbortRequested())
            return ConvertResult::Aborted;
    }
}

ConvertResult MeasureBlocks(WaveReader& reader, const char* path, const ConversionPlan& plan, AcmStream decoder,
                            const LevelPassOptions& options, LevelMeter& meter)
{
    // Its own stages, gone before the converting pass opens its own: the
    // memory of a file stays that of one pass.
    SourceStage source;
    SampleChain chain;
    std::vector<BYTE> room;
    ChainOptions chainOptions;
    chainOptions.LowQuality = options.LowQuality;
    chainOptions.Meter = &meter;
    if (!source.Open(reader, path, options.DataSize, options.BlockSize, std::move(decoder), options.Shape) ||
        !chain.Open(plan.Decoded, plan.Target, chainOptions))
        return ConvertResult::Failed;
    try {
        room.assign(SampleChain::SliceFrames * chain.DestinationFrameBytes(), 0);
    } catch (const std::bad_alloc&) {
        return ConvertResult::Failed;
    }
    ConversionHost* host = options.Host;
    return ForEachSourceBlock(source, host, [&](const SourceBlock* block, bool last) {
        if (block != nullptr)
            chain.Put(block->Bytes, block->Count);
        if (last)
            chain.Finish();
        ConvertResult drained = DrainToMeter(chain, room, host);
        if (drained == ConvertResult::Converted && host != nullptr && block != nullptr)
            host->BlockMeasured(block->Consumed, source.Done(), options.FileWork);
        return drained;
    });
}

}  // namespace

ConvertResult MeasureLevel(WaveReader& reader, const char* path, const ConversionPlan& plan, AcmStream decoder,
                           const LevelPassOptions& options, LevelMeter& meter)
{
    const LONG start = mmioSeek(reader.File.Get(), 0, SEEK_CUR);
    if (start == -1)
        return ConvertResult::Failed;
    ConvertResult result = MeasureBlocks(reader, path, plan, std::move(decoder), options, meter);
    // The reading ahead moved the source's own handle; the converting pass
    // starts where this one did.
    if (result == ConvertResult::Converted && mmioSeek(reader.File.Get(), start, SEEK_SET) != start)
        return ConvertResult::Failed;
    return result;
}

unsigned SourceBitsOf(const ConversionPlan& plan)
{
    return plan.Decoded.Coding == SampleCoding::Float ? 24u : plan.Decoded.ValidBits;
}
