// Filler and token bytes of the launch token files.
#include "app/token_filler.h"

// The runtime's srand/rand rule: a linear congruential generator over 32 bits whose
// draws are bits 16 to 30 of the new state.
static const uint32_t kGeneratorMultiplier = 214013u;
static const uint32_t kGeneratorIncrement = 2531011u;

void FillTokenFiller(unsigned char out[kTokenFileSize]) {
    uint32_t state = kTokenFillerSeed;
    for (size_t i = 0; i < kTokenFileSize; ++i) {
        state = state * kGeneratorMultiplier + kGeneratorIncrement;
        uint32_t draw = (state >> 16) & 0x7FFFu;
        out[i] = static_cast<unsigned char>(draw % 255u);
    }
}

void StoreLittleEndian32(unsigned char* out, uint32_t value) {
    out[0] = static_cast<unsigned char>(value & 0xFFu);
    out[1] = static_cast<unsigned char>((value >> 8) & 0xFFu);
    out[2] = static_cast<unsigned char>((value >> 16) & 0xFFu);
    out[3] = static_cast<unsigned char>((value >> 24) & 0xFFu);
}
