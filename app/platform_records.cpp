// The platform records the program fills by hand, checked against their
// documented 32-bit layouts. The 64-bit test build has other sizes, so the
// checks apply to the 32-bit product only; the code itself always uses sizeof.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <cstddef>

#if !defined(_WIN64)
static_assert(sizeof(ACMSTREAMHEADER) == 84);
static_assert(sizeof(ACMFORMATCHOOSEA) == 232);
static_assert(sizeof(ACMFORMATTAGDETAILSA) == 72);
static_assert(sizeof(ACMFORMATDETAILSA) == 152);
// Earlier published versions that the program fills: the tray record up to
// its 64-character tooltip, the tool record up to lParam, the open-file
// record up to lpTemplateName.
static_assert(offsetof(NOTIFYICONDATAA, szTip) + 64 == 88);
static_assert(offsetof(TTTOOLINFOA, lParam) + sizeof(TTTOOLINFOA::lParam) == 44);
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName) == 76);
static_assert(sizeof(MMCKINFO) == 20);
static_assert(sizeof(BROWSEINFOA) == 32);
#endif
static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(sizeof(PCMWAVEFORMAT) == 16);
