// Where a BMP's colour table and pixels lie, and which headers are refused.
#include <stdint.h>

#include <vector>

#include <gtest/gtest.h>

#include "ui/bitmap_header.h"

namespace {

void Put16(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}

void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (unsigned char)(v >> (8 * i));
}

// A data block: information header of headerSize bytes, then `extra` bytes.
std::vector<unsigned char> Block(uint32_t headerSize, int32_t width, int32_t height,
                                 uint16_t bits, uint32_t clrUsed, size_t extra,
                                 uint32_t compression = 0) {
    std::vector<unsigned char> b((headerSize < 40 ? 40 : headerSize) + extra, 0xAA);
    Put32(b, 0, headerSize);
    Put32(b, 4, (uint32_t)width);
    Put32(b, 8, (uint32_t)height);
    Put16(b, 12, 1);
    Put16(b, 14, bits);
    Put32(b, 16, compression);
    Put32(b, 32, clrUsed);
    return b;
}

TEST(BitmapHeader, ColourCountsFollowEachLoadersRule) {
    struct Case {
        uint32_t clrUsed;
        uint16_t bits;
        uint16_t file;
        uint16_t resource;
    } cases[] = {
        {0, 1, 2, 2},
        {0, 4, 16, 16},
        {0, 8, 256, 256},
        {0, 24, 0, 0},
        {0, 32, 0, 0},
        {16, 8, 16, 256},       // the file loader trusts biClrUsed, resources do not
        {8, 24, 8, 0},          // an optional table on a true-colour file
        {0x10010, 8, 16, 256},  // biClrUsed is cut to 16 bits
        {0x10000, 8, 0, 256},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.file, FileColourCount(c.clrUsed, c.bits))
            << "file count for biClrUsed " << c.clrUsed << ", " << c.bits << " bits";
        EXPECT_EQ(c.resource, ResourceColourCount(c.bits))
            << "resource count for " << c.bits << " bits";
    }
}

TEST(BitmapHeader, FileHeaderNeedsTagAndRoomForTheInformationHeader) {
    struct Case {
        const char* what;
        unsigned char tag0, tag1;
        uint32_t fileSize;
        int accepted;
    } cases[] = {
        {"valid", 'B', 'M', 70, 1},
        {"just the two headers", 'B', 'M', 54, 1},
        {"one byte short of the information header", 'B', 'M', 53, 0},
        {"no data at all", 'B', 'M', 14, 0},
        {"size below the file header", 'B', 'M', 3, 0},
        {"tag reversed", 'M', 'B', 70, 0},
        {"other tag", 'B', 'A', 70, 0},
        {"lower case", 'b', 'm', 70, 0},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> h(kBmpFileHeaderSize, 0);
        h[0] = c.tag0;
        h[1] = c.tag1;
        Put32(h, 2, c.fileSize);
        Put32(h, 10, 54);
        uint32_t dataSize = 0xDEADBEEF;
        EXPECT_EQ(c.accepted, CheckBitmapFileHeader(h.data(), &dataSize)) << c.what;
        if (c.accepted) {
            EXPECT_EQ(c.fileSize - 14, dataSize) << c.what;
        }
    }
}

TEST(BitmapHeader, PixelsStartAfterTheCountedTable) {
    struct Case {
        const char* what;
        std::vector<unsigned char> block;
        uint16_t count;
        size_t offset;
    } cases[] = {
        {"24-bit, no table", Block(40, 2, 2, 24, 0, 16), 0, 40},
        {"8-bit with 16 colours", Block(40, 3, 2, 8, 16, 64 + 8), 16, 40 + 64},
        {"24-bit with an 8-entry table", Block(40, 1, 1, 24, 8, 32 + 4), 8, 40 + 32},
        {"1-bit, full table, top-down", Block(40, 9, -3, 1, 0, 8 + 12), 2, 48},
        {"larger header: table at 40, pixels after biSize",
         Block(108, 2, 1, 4, 0, 64 + 4), 16, 108 + 64},
        {"bytes after the pixels are allowed", Block(40, 2, 2, 24, 0, 16 + 100), 0, 40},
    };
    for (const Case& c : cases) {
        size_t offset = 12345;
        EXPECT_EQ(1, CheckBitmapBlock(c.block.data(), c.block.size(), c.count, &offset))
            << c.what;
        EXPECT_EQ(c.offset, offset) << c.what;
    }
}

TEST(BitmapHeader, BlocksThatCannotHoldWhatTheyClaimAreRefused) {
    struct Case {
        const char* what;
        std::vector<unsigned char> block;
        uint16_t count;
    } cases[] = {
        {"pixel rows one byte short", Block(40, 2, 2, 24, 0, 15), 0},
        {"top-down rows one byte short", Block(40, 2, -2, 24, 0, 15), 0},
        {"resource count of 256 over a 16-entry table", Block(40, 3, 2, 8, 16, 64 + 8), 256},
        {"full 8-bit table beyond the data", Block(40, 1, 1, 8, 0, 64), 256},
        {"system table (biClrUsed cut) beyond the data", Block(40, 1, 1, 8, 0x10010, 68), 16},
        {"header size below 40", Block(39, 1, 1, 24, 0, 8), 0},
        {"header size 12", Block(12, 1, 1, 24, 0, 8), 0},
        {"header size 0", Block(0, 1, 1, 24, 0, 8), 0},
        {"header size beyond the block", Block(40, 1, 1, 24, 0, 4), 0},
        {"huge header size", Block(40, 1, 1, 24, 0, 4), 0},
        {"zero width", Block(40, 0, 1, 24, 0, 64), 0},
        {"negative width", Block(40, -1, 1, 24, 0, 64), 0},
        {"huge width", Block(40, 0x7FFFFFFF, 1, 32, 0, 64), 0},
        {"zero height", Block(40, 1, 0, 24, 0, 64), 0},
        {"most negative height", Block(40, 1, INT32_MIN, 24, 0, 64), 0},
        {"huge height", Block(40, 1, 0x7FFFFFFF, 24, 0, 64), 0},
        {"huge width and height", Block(40, 0x40000000, 0x40000000, 32, 0, 64), 0},
        {"run-length compressed", Block(40, 2, 2, 8, 0, 1024 + 64, 1), 256},
        {"bit fields", Block(40, 2, 2, 16, 0, 12 + 64, 3), 0},
        {"depth 0", Block(40, 2, 2, 0, 0, 64), 0},
        {"depth 7", Block(40, 2, 2, 7, 0, 1024), 128},
        {"depth 64", Block(40, 2, 2, 64, 0, 64), 0},
    };
    // Patch the two header-size rows that Block cannot express directly.
    Put32(cases[8].block, 0, 45);  // the block is 44 bytes
    Put32(cases[9].block, 0, 0xFFFFFFF0u);
    for (const Case& c : cases) {
        size_t offset = 12345;
        EXPECT_EQ(0, CheckBitmapBlock(c.block.data(), c.block.size(), c.count, &offset))
            << c.what;
        EXPECT_EQ(12345u, offset) << c.what << ": offset written on refusal";
    }
    unsigned char shortBlock[39] = {40};
    EXPECT_EQ(0, CheckBitmapBlock(shortBlock, sizeof shortBlock, 0, NULL))
        << "a block shorter than the information header";
    EXPECT_EQ(0, CheckBitmapBlock(NULL, 100, 0, NULL)) << "no block";
}

}  // namespace
