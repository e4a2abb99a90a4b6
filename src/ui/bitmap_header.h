// Checks of BMP headers and where the pixel data lie. No platform calls: tested in
// tables and fuzzed natively.
#ifndef VORN_BITMAP_HEADER_H
#define VORN_BITMAP_HEADER_H

#include <stddef.h>
#include <stdint.h>

enum {
    kBmpFileHeaderSize = 14,
    kBmpInfoHeaderSize = 40,
    kBmpTag = 0x4D42,  // "BM"
    kBmpMaxSide = 32768  // wider or taller images are refused
};

// Colour-table entries of a file image: biClrUsed (cut to 16 bits) when not 0,
// else 2, 16 or 256 for 1, 4 or 8 bits, else 0.
uint16_t FileColourCount(uint32_t clrUsed, uint16_t bitCount);

// Colour-table entries of a resource image: 1 << bitCount up to 8 bits, else 0.
uint16_t ResourceColourCount(uint16_t bitCount);

// Whether a block of `size` bytes that starts with an information header really holds
// the header, a colour table of colourCount entries read from offset 40, and the pixel
// rows that width, height and depth claim, starting at biSize + 4 * colourCount.
// Also refuses what the system itself would read past the block (its own colour
// table at biSize), compressed images and depths other than 1, 4, 8, 16, 24 and 32.
// On 1 *pixelOffset is that start. 0 for anything that would read past the block.
int CheckBitmapBlock(const unsigned char* block, size_t size, uint16_t colourCount,
                     size_t* pixelOffset);

// The 14-byte file header: 1 when the tag is "BM" and bfSize leaves room for an
// information header after it; *dataSize is then bfSize - 14.
int CheckBitmapFileHeader(const unsigned char header[kBmpFileHeaderSize], uint32_t* dataSize);

// Fields of an information header at the start of a block; 0 when the block is
// shorter than the 40-byte header.
uint16_t BlockBitCount(const unsigned char* block, size_t size);
uint32_t BlockClrUsed(const unsigned char* block, size_t size);

#endif
