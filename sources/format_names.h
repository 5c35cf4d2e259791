// Names of format tags and formats, as the installed codecs give them.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

// The tag's name (at most 47 characters); false when no codec knows the tag.
bool GetFormatTagName(DWORD formatTag, char (&name)[ACMFORMATTAGDETAILS_FORMATTAG_CHARS]);

// The format's name (at most 127 characters); false when no codec knows it.
// format must hold at least length bytes, and length is given to the codecs.
bool GetFormatName(const WAVEFORMATEX* format, DWORD length, char (&name)[ACMFORMATDETAILS_FORMAT_CHARS]);
