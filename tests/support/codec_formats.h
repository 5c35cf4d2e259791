// Destination formats for tests, asked from the installed codecs.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include "support/test_files.h"

// The format of the given tag that the codecs suggest for a source format;
// empty when none. PCM formats come back as 16 bytes, others as 18 + cbSize,
// as the destination format blocks of the program hold them.
Bytes SuggestFormat(const Bytes& sourceFormat, WORD tag);

const WAVEFORMATEX& AsFormat(const Bytes& format);

// Signal-to-noise ratio in dB of a decoded signal against a reference,
// over the frames both have.
double SignalToNoise(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded);
