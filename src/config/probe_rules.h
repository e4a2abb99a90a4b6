// Decisions behind the machine probes. No platform calls: tested in tables.
#ifndef VORN_PROBE_RULES_H
#define VORN_PROBE_RULES_H

#include <stddef.h>
#include <stdint.h>

enum OsClass {
    kOsWin32s = 0,
    kOsWin95 = 1,
    kOsWin98 = 2,
    kOsNt4 = 3,
    kOsNt5 = 4
};

// 1 for 0x0412 (Korean) and 0x0812 (Korean Johab), else 0.
int IsKoreanLanguageId(uint16_t langId);

// OsClass from GetVersionEx's platform identifier and version.
int ClassifyOs(uint32_t platformId, uint32_t major, uint32_t minor);

// 1 when the version query succeeded (queryResult != 0) and reports DirectX 7 or later.
int IsDirectX7OrLater(int queryResult, uint32_t version);

// The program path of an http open command: the text between the first double quote
// and the next (or the end). Empty without a quote. Cut to fit outSize (terminator
// included); returns the length written.
size_t ScanBrowserCommand(const char* command, char* out, size_t outSize);

#endif
