// Byte layout of a launch token file. No platform calls: tested in tables and natively.
#ifndef VORN_TOKEN_FILLER_H
#define VORN_TOKEN_FILLER_H

#include <stddef.h>
#include <stdint.h>

enum {
    kTokenFileSize = 3000,
    kTokenOffset = 2000,
    kTokenFillerSeed = 1000
};

// Token values at offset 2000, and the profile stamps (also at offset 2000).
const uint32_t kSaveTokenValue = 604821;     // .\Save\VornGame.dat
const uint32_t kGameTokenValue = 3170926;    // .\Game.dat
const uint32_t kStampProfEng = 271648;
const uint32_t kStampProfKor = 438297;
const uint32_t kStampSkirmish = 915073;

// Fills out[0..2999] with the filler (seed 1000, draw % 255).
void FillTokenFiller(unsigned char out[kTokenFileSize]);

// Stores value as 4 little-endian bytes at out[0..3].
void StoreLittleEndian32(unsigned char* out, uint32_t value);

#endif
