// Format tag and format names from all installed codecs.
#include "sources/format_names.h"
#include <cstring>

bool GetFormatTagName(DWORD formatTag, char (&name)[ACMFORMATTAGDETAILS_FORMATTAG_CHARS])
{
    ACMFORMATTAGDETAILSA details = {};
    details.cbStruct = sizeof(details);
    details.dwFormatTag = formatTag;
    if (acmFormatTagDetailsA(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG) != 0)
        return false;
    lstrcpynA(name, details.szFormatTag, sizeof(name));
    return true;
}

bool GetFormatName(const WAVEFORMATEX* format, DWORD length, char (&name)[ACMFORMATDETAILS_FORMAT_CHARS])
{
    ACMFORMATDETAILSA details = {};
    details.cbStruct = sizeof(details);
    details.dwFormatTag = format->wFormatTag;
    details.pwfx = const_cast<WAVEFORMATEX*>(format);
    details.cbwfx = length;
    if (acmFormatDetailsA(nullptr, &details, ACM_FORMATDETAILSF_FORMAT) != 0)
        return false;
    lstrcpynA(name, details.szFormat, sizeof(name));
    return true;
}
