// The version from the running module's version resource.
#include "win/program_version.h"
#include <windows.h>
#include <cstring>

std::string ProgramVersionText()
{
    std::string text = "Tonvelka";
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
    const BYTE* bytes = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = bytes != nullptr ? SizeofResource(nullptr, found) : 0;
    // The fixed part stands behind the block's header and its name, on a
    // 32-bit boundary; its signature finds it without parsing the names.
    for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        VS_FIXEDFILEINFO fixed;
        memcpy(&fixed, bytes + at, sizeof(fixed));
        if (fixed.dwSignature == 0xFEEF04BD)
            return text + " " + std::to_string(HIWORD(fixed.dwProductVersionMS)) + "." +
                   std::to_string(LOWORD(fixed.dwProductVersionMS));
    }
    return text;
}
