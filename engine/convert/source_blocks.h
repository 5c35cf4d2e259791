// The loop that both passes over a source run, the measuring one and the
// converting one: each block in turn, then the end, handed to a step.
#pragma once
#include "engine/convert/conversion_host.h"
#include "engine/convert/convert_file.h"
#include "engine/convert/source_stage.h"

// Calls step(block, last) with each block read and, once the source has
// ended, with none; last tells that nothing follows. The loop ends at the
// last step, at a step that does not return Converted, or at an abort,
// which is heeded between blocks.
template <typename Step>
ConvertResult ForEachSourceBlock(SourceStage& source, ConversionHost* host, Step step)
{
    for (;;) {
        SourceBlock block;
        const SourceStep next = source.Next(block);
        if (next == SourceStep::Failed)
            return ConvertResult::Failed;
        const bool read = next == SourceStep::Block;
        const bool last = !read || source.Done() == source.DataSize();
        const ConvertResult stepped = step(read ? &block : nullptr, last);
        if (stepped != ConvertResult::Converted || last)
            return stepped;
        if (host != nullptr && host->AbortRequested())
            return ConvertResult::Aborted;
    }
}
