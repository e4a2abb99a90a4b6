#include "config/probe_rules.h"

enum {
    kLangKorean = 0x0412,
    kLangKoreanJohab = 0x0812,
    kDirectX7Version = 0x00040007  // 4 in the high word, the DirectX number in the low
};

// GetVersionEx platform identifiers.
enum {
    kPlatformWin32s = 0,
    kPlatformWindows = 1,
    kPlatformNt = 2
};

int IsKoreanLanguageId(uint16_t langId) {
    return (langId == kLangKorean || langId == kLangKoreanJohab) ? 1 : 0;
}

int ClassifyOs(uint32_t platformId, uint32_t major, uint32_t minor) {
    switch (platformId) {
    case kPlatformWin32s:
        return kOsWin32s;
    case kPlatformWindows:
        return (major > 4 || (major == 4 && minor > 0)) ? kOsWin98 : kOsWin95;
    case kPlatformNt:
        // Every NT from 2000 on shares a class; none of them needs the Windows 95
        // socket update, so 6.x and later must not fall back to the Windows 95 class.
        return major <= 4 ? kOsNt4 : kOsNt5;
    default:
        return kOsWin95;
    }
}

int IsDirectX7OrLater(int queryResult, uint32_t version) {
    if (queryResult == 0) return 0;
    return version >= (uint32_t)kDirectX7Version ? 1 : 0;
}

size_t ScanBrowserCommand(const char* command, char* out, size_t outSize) {
    if (outSize == 0) return 0;
    size_t length = 0;
    const char* p = command;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"' && length + 1 < outSize) out[length++] = *p++;
    }
    out[length] = '\0';
    return length;
}
