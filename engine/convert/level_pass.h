// The first of the two passes of a file brought to a level: its audio goes
// through the stages up to the sample chain, whose samples a meter hears at
// the destination's rate and channels, and nothing is written. The second
// pass then converts the file with the gain that the measurement gives.
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/chain/level_meter.h"
#include "engine/codec/codec_stream.h"
#include "engine/convert/conversion_host.h"
#include "engine/convert/conversion_plan.h"
#include "engine/convert/convert_file.h"
#include "engine/convert/source_stage.h"
#include "engine/wave/wave_file.h"

struct LevelPassOptions {
    DWORD DataSize = 0;   // of the source's audio, all of which is measured
    DWORD BlockSize = 0;  // source bytes read at once
    bool LowQuality = false;
    ConversionHost* Host = nullptr;  // hears each block, asked to abort between pieces
    uint64_t FileWork = 0;           // the file's bytes of both passes, for its progress
    SourceShape Shape;               // how the source is read, as the converting pass reads it
};

// Measures the audio of reader (standing at its first audio byte, and left
// there again) through plan's chain, with decoder as the plan's decoding
// codec where it names one. Converted when the meter heard it all.
ConvertResult MeasureLevel(WaveReader& reader, const char* path, const ConversionPlan& plan, AcmStream decoder,
                           const LevelPassOptions& options, LevelMeter& meter);

// The valid bits of the samples that plan's chain reads: the noise of their
// last bit is no sound to bring to a level. Float counts as 24 bits.
unsigned SourceBitsOf(const ConversionPlan& plan);
