// Converts one source WAVE file into a new destination WAVE file, block by
// block, through the stages that PlanConversion names for the two formats
// (engine/convert/conversion_plan.h): a decoder, the sample chain and an encoder, or
// the one codec stream that does it all where it changes only the coding.
#pragma once
#include <windows.h>
#include "engine/chain/level_meter.h"
#include "engine/codec/codec_drivers.h"
#include "engine/convert/conversion_host.h"
#include "win/failure.h"

enum class ConvertResult : WORD { Failed, Converted, Aborted };

// Source bytes per conversion step unless told otherwise: the 16 KB of the
// default buffer size.
constexpr DWORD DefaultBlockSize = 16 * 1024;

// How one file is converted. A batch's file names the batch as its host: it
// shows its progress and heeds the batch's abort and suspension through it.
// A preview's sample names none, and stops after its first bytes.
struct ConvertOptions {
    DWORD BlockSize = DefaultBlockSize;
    bool LowQuality = false;
    DWORD MaxSourceBytes = 0xFFFFFFFF;  // of the source's audio data
    // The source's titles, markers, loops and other chunks follow the audio,
    // and the destination takes the source's last-write time.
    bool KeepMetadata = false;
    ConversionHost* Host = nullptr;
    // With a mode, the whole file is measured first and then converted
    // through the sample chain with the gain that brings it to the level.
    Leveling Level;
    LevelDecision* Leveled = nullptr;  // told what the file got, when given
    // Where given, told what failed when the conversion fails.
    Failure* Why = nullptr;
};

// The destination format's bytes and length become the destination's "fmt "
// chunk (PCM of up to 16 bits and two channels as the plain record); every
// format but PCM is followed by a "fact" chunk with the sample count. With a
// host, reports progress after every block of the source and asks whether to
// abort (or waits out a suspension) between blocks and, inside a block,
// between the pieces that the sample chain gives. A batch passes the drivers
// it keeps open for its pairs of formats.
ConvertResult ConvertFile(const char* sourcePath, const void* sourceFormat, DWORD sourceFormatLength,
                          const char* destinationPath, const void* destinationFormat,
                          DWORD destinationFormatLength, CodecDrivers* drivers = nullptr,
                          const ConvertOptions& options = {});

// The flags a conversion stream is opened with, by the converter and by the
// chooser's check of what the converter will reach: without low quality the
// codec must not trade quality for speed.
DWORD ConversionStreamOpenFlags(bool lowQuality);
