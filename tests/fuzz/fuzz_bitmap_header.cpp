// The input is a whole BMP file: the 14-byte file header, then the data block that
// the file loader would read. Whatever the checks accept must lie inside the input;
// every pixel byte they vouch for is touched so the address sanitizer sees overreads.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <vector>

#include "ui/bitmap_header.h"

namespace {

volatile unsigned char sink;

uint32_t Le32(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
           ((uint32_t)p[3] << 24);
}

// Runs the block check with one colour count; on acceptance reads the colour table
// from offset 40 and every byte from the pixel start to the end of the pixel rows.
void CheckAndTouch(const unsigned char* block, size_t size, uint16_t colourCount) {
    size_t pixelOffset = 0;
    if (!CheckBitmapBlock(block, size, colourCount, &pixelOffset)) return;
    if (pixelOffset > size) abort();
    unsigned char sum = 0;
    for (size_t i = 0; i < 4u * colourCount; ++i) sum ^= block[kBmpInfoHeaderSize + i];

    const int32_t width = (int32_t)Le32(block + 4);
    const int32_t height = (int32_t)Le32(block + 8);
    const uint16_t bits = BlockBitCount(block, size);
    const uint32_t clrUsed = BlockClrUsed(block, size);
    const uint32_t headerSize = Le32(block);

    // The table the system reads at biSize when it makes the bitmap.
    uint64_t systemEntries = clrUsed > 256 ? 256 : clrUsed;
    if (systemEntries == 0 && bits <= 8) systemEntries = 1ull << bits;
    for (uint64_t i = 0; i < 4 * systemEntries; ++i) sum ^= block[headerSize + i];

    const uint64_t stride = (((uint64_t)width * bits + 31) / 32) * 4;
    const uint64_t rows = height < 0 ? (uint64_t)(-(int64_t)height) : (uint64_t)height;
    const uint64_t pixels = stride * rows;
    if (pixels > size - pixelOffset) abort();
    for (uint64_t i = 0; i < pixels; ++i) sum ^= block[pixelOffset + i];
    sink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kBmpFileHeaderSize) return 0;
    uint32_t dataSize = 0;
    if (!CheckBitmapFileHeader(data, &dataSize)) return 0;
    if (dataSize > size - kBmpFileHeaderSize) return 0;  // the loader rejects short files

    // A heap copy of exactly the block, so one byte too far is caught.
    std::vector<unsigned char> block(data + kBmpFileHeaderSize,
                                     data + kBmpFileHeaderSize + dataSize);
    const unsigned char* bytes = block.empty() ? NULL : block.data();
    const uint16_t bits = BlockBitCount(bytes, block.size());
    CheckAndTouch(bytes, block.size(), FileColourCount(BlockClrUsed(bytes, block.size()), bits));
    CheckAndTouch(bytes, block.size(), ResourceColourCount(bits));
    return 0;
}
