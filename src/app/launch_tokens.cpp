// The launch token files and the profile stamps, written just before a game start.
// A file that cannot be opened is skipped; the others are still written, and the
// start goes on.
#include "app/launch_tokens.h"

#include <windows.h>

#include <stdio.h>

#include "app/token_filler.h"

enum { kPathSize = MAX_PATH, kTokenFileCount = 2, kStampFileCount = 3, kStampSize = 4 };

struct TokenFile {
    const char* relativePath;
    uint32_t value;
};

static const TokenFile kTokenFiles[kTokenFileCount] = {
    {".\\Save\\VornGame.dat", kSaveTokenValue},
    {".\\Game.dat", kGameTokenValue},
};

static const TokenFile kStampFiles[kStampFileCount] = {
    {".\\initdata\\profeng.dat", kStampProfEng},
    {".\\initdata\\profkor.dat", kStampProfKor},
    {".\\initdata\\skirmish.dat", kStampSkirmish},
};

// Opens relativePath, resolved against the current directory, in the given mode.
// NULL when the path does not resolve within kPathSize or the file does not open.
static FILE* OpenResolved(const char* relativePath, const char* mode) {
    char fullPath[kPathSize];
    DWORD length = GetFullPathNameA(relativePath, kPathSize, fullPath, NULL);
    if (length == 0 || length >= kPathSize) return NULL;
    return fopen(fullPath, mode);
}

void WriteLaunchTokenFiles() {
    // Both are created or truncated before anything is written.
    FILE* files[kTokenFileCount];
    for (int i = 0; i < kTokenFileCount; ++i)
        files[i] = OpenResolved(kTokenFiles[i].relativePath, "wb");

    unsigned char buffer[kTokenFileSize];
    FillTokenFiller(buffer);
    for (int i = 0; i < kTokenFileCount; ++i) {
        if (!files[i]) continue;
        StoreLittleEndian32(buffer + kTokenOffset, kTokenFiles[i].value);
        fwrite(buffer, 1, kTokenFileSize, files[i]);
    }
    for (int i = 0; i < kTokenFileCount; ++i)
        if (files[i]) fclose(files[i]);
}

void WriteProfileStamps() {
    // Existing files only: "r+b" neither creates nor truncates.
    FILE* files[kStampFileCount];
    for (int i = 0; i < kStampFileCount; ++i)
        files[i] = OpenResolved(kStampFiles[i].relativePath, "r+b");

    for (int i = 0; i < kStampFileCount; ++i) {
        if (!files[i]) continue;
        unsigned char stamp[kStampSize];
        StoreLittleEndian32(stamp, kStampFiles[i].value);
        if (fseek(files[i], kTokenOffset, SEEK_SET) == 0) fwrite(stamp, 1, kStampSize, files[i]);
    }
    for (int i = 0; i < kStampFileCount; ++i)
        if (files[i]) fclose(files[i]);
}
