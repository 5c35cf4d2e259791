// The fields of a format that follow from the others: the average bytes per
// second and, for PCM, float and G.711, the block alignment. Writers leave
// them 0 or get them wrong (game tools write MS ADPCM with 0 bytes per
// second), while every reader derives them; the codecs are handed a format
// whose derived fields agree with the rest.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>

// Sets the derived fields of format, a whole WAVEFORMATEX whose extra byte
// count holds, from its primary fields: for the layouts the program's own
// reader takes, block alignment and byte rate from channels, container and
// rate (G.711 also at 8 bits); for MS ADPCM, IMA ADPCM and GSM 6.10 the
// byte rate from rate, block alignment and samples per block. Other tags,
// and formats whose primary fields are missing, are left as they are.
void DeriveFormatFields(WAVEFORMATEX& format, DWORD length);
