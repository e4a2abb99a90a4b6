// Where the parts of a BMP lie, and whether a block really holds them. Fields are
// read byte by byte, little-endian, so the checks work on any host and alignment.
#include "ui/bitmap_header.h"

namespace {

// Offsets inside the 40-byte information header.
enum {
    kOffSize = 0,
    kOffWidth = 4,
    kOffHeight = 8,
    kOffBitCount = 14,
    kOffCompression = 16,
    kOffClrUsed = 32
};

// Offsets inside the 14-byte file header.
enum { kOffType = 0, kOffFileSize = 2 };

const uint32_t kUncompressed = 0;   // BI_RGB
const uint64_t kSystemMaxTable = 256;  // the most entries the system reads at biSize

uint16_t Le16(const unsigned char* p) { return (uint16_t)(p[0] | (p[1] << 8)); }

uint32_t Le32(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
           ((uint32_t)p[3] << 24);
}

int IsKnownDepth(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

uint16_t FileColourCount(uint32_t clrUsed, uint16_t bitCount) {
    if (clrUsed != 0) return (uint16_t)(clrUsed & 0xFFFF);
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

uint16_t ResourceColourCount(uint16_t bitCount) {
    return bitCount <= 8 ? (uint16_t)(1u << bitCount) : 0;
}

uint16_t BlockBitCount(const unsigned char* block, size_t size) {
    return block && size >= kBmpInfoHeaderSize ? Le16(block + kOffBitCount) : 0;
}

uint32_t BlockClrUsed(const unsigned char* block, size_t size) {
    return block && size >= kBmpInfoHeaderSize ? Le32(block + kOffClrUsed) : 0;
}

int CheckBitmapBlock(const unsigned char* block, size_t size, uint16_t colourCount,
                     size_t* pixelOffset) {
    if (!block || size < kBmpInfoHeaderSize) return 0;
    const uint64_t total = size;

    const uint64_t headerSize = Le32(block + kOffSize);
    const int32_t width = (int32_t)Le32(block + kOffWidth);
    const int32_t height = (int32_t)Le32(block + kOffHeight);
    const uint16_t bits = Le16(block + kOffBitCount);
    const uint32_t compression = Le32(block + kOffCompression);
    const uint32_t clrUsed = Le32(block + kOffClrUsed);

    // The table is read from offset 40, so a shorter header cannot be taken.
    if (headerSize < kBmpInfoHeaderSize || headerSize > total) return 0;
    // Run-length, bit-field and embedded images have their own layouts: refused.
    if (compression != kUncompressed) return 0;
    if (!IsKnownDepth(bits)) return 0;
    if (width <= 0 || width > kBmpMaxSide) return 0;
    if (height == 0 || height < -kBmpMaxSide || height > kBmpMaxSide) return 0;

    // Our colour table: colourCount entries from offset 40.
    const uint64_t tableEnd = kBmpInfoHeaderSize + 4ull * colourCount;
    if (tableEnd > total) return 0;

    // The table the system reads when it makes the bitmap: from biSize on, biClrUsed
    // entries (at most 256), or 1 << depth of them when biClrUsed is 0.
    uint64_t systemEntries = clrUsed;
    if (systemEntries > kSystemMaxTable) systemEntries = kSystemMaxTable;
    if (systemEntries == 0 && bits <= 8) systemEntries = 1ull << bits;
    if (headerSize + 4ull * systemEntries > total) return 0;

    const uint64_t start = headerSize + 4ull * colourCount;
    if (start < tableEnd || start > total) return 0;

    const uint64_t stride = (((uint64_t)width * bits + 31) / 32) * 4;
    const uint64_t rows = height < 0 ? (uint64_t)(-(int64_t)height) : (uint64_t)height;
    if (rows > (total - start) / stride) return 0;

    if (pixelOffset) *pixelOffset = (size_t)start;
    return 1;
}

int CheckBitmapFileHeader(const unsigned char header[kBmpFileHeaderSize], uint32_t* dataSize) {
    if (!header) return 0;
    if (Le16(header + kOffType) != kBmpTag) return 0;
    const uint32_t fileSize = Le32(header + kOffFileSize);
    if (fileSize < (uint32_t)kBmpFileHeaderSize + kBmpInfoHeaderSize) return 0;
    if (dataSize) *dataSize = fileSize - kBmpFileHeaderSize;
    return 1;
}
