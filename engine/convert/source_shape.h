// How the first stage of a conversion reads its source, from the plan and
// the formats.
#pragma once
#include <windows.h>
#include <mmreg.h>
#include "engine/convert/conversion_plan.h"
#include "engine/convert/source_stage.h"
#include "engine/wave/wave_file.h"

// How the first stage reads the source: a RIFX source's samples turned
// round; a last, partly filled block filled up for the codec, of a decoder's
// output only what the block holds, within the "fact" count.
SourceShape ShapeSource(const ConversionPlan& plan, const WaveReader& reader, const void* sourceFormat,
                        DWORD sourceFormatLength, const WAVEFORMATEX& destination);
