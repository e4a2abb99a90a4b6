// The bytes of a launch token file: the filler drawn from the seeded generator and the
// little-endian token value.
#include <stdint.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/token_filler.h"

namespace {

// The generator written out another way: 64-bit arithmetic reduced modulo 2^32, and the
// draw taken by division instead of shifts and masks.
std::vector<unsigned char> ReferenceFiller() {
    std::vector<unsigned char> bytes;
    uint64_t state = 1000;
    for (int i = 0; i < 3000; ++i) {
        state = (state * 214013ull + 2531011ull) % 4294967296ull;
        uint64_t draw = (state / 65536ull) % 32768ull;
        bytes.push_back(static_cast<unsigned char>(draw - 255ull * (draw / 255ull)));
    }
    return bytes;
}

std::vector<unsigned char> Filler() {
    std::vector<unsigned char> bytes(kTokenFileSize, 0xAA);
    FillTokenFiller(bytes.data());
    return bytes;
}

TEST(TokenFiller, AllBytesMatchTheGenerator) {
    std::vector<unsigned char> expected = ReferenceFiller();
    std::vector<unsigned char> got = Filler();
    ASSERT_EQ(expected.size(), got.size());
    int mismatches = 0;
    for (size_t i = 0; i < expected.size() && mismatches < 5; ++i) {
        if (expected[i] != got[i]) {
            ++mismatches;
            ADD_FAILURE() << "byte " << i << ": expected " << int(expected[i]) << ", got "
                          << int(got[i]);
        }
    }
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_NE(255, got[i]) << "byte " << i << " is 255, a draw modulo 255 never is";
}

TEST(TokenFiller, CheckValues) {
    struct Case {
        size_t offset;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {0, {0xf4, 0x3d, 0x4a, 0x0d, 0xea, 0xf7, 0xce, 0xc5}},  // the first draws
        {1996, {0xb2, 0x91, 0xc1, 0x87}},                         // just before the token
        {2004, {0xa2, 0x1a, 0x90, 0x85}},  // just after it: the draws went on through it
        {2992, {0xd6, 0xde, 0x33, 0xf8, 0x16, 0x92, 0x87, 0x7e}},  // the last draws
    };
    std::vector<unsigned char> got = Filler();
    for (const Case& c : cases)
        for (size_t i = 0; i < c.bytes.size(); ++i)
            EXPECT_EQ(int(c.bytes[i]), int(got[c.offset + i]))
                << "filler byte " << c.offset + i;
}

TEST(TokenFiller, SameOnEveryCall) {
    EXPECT_EQ(Filler(), Filler()) << "the generator must be seeded afresh on every fill";
}

TEST(TokenFiller, StoreLittleEndian32) {
    struct Case {
        uint32_t value;
        unsigned char bytes[4];
    };
    const Case cases[] = {
        {604821u, {0x95, 0x3a, 0x09, 0x00}},
        {3170926u, {0x6e, 0x62, 0x30, 0x00}},
        {0xA1B2C3D4u, {0xd4, 0xc3, 0xb2, 0xa1}},  // every byte distinct, top bit set
    };
    for (const Case& c : cases) {
        unsigned char out[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
        StoreLittleEndian32(out + 1, c.value);
        EXPECT_EQ(0xAA, out[0]) << c.value << ": wrote before its 4 bytes";
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(int(c.bytes[i]), int(out[1 + i])) << c.value << ": byte " << i;
        EXPECT_EQ(0xAA, out[5]) << c.value << ": wrote past its 4 bytes";
    }
}

}  // namespace
