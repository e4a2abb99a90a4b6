// The launch token files and profile stamps as the game finds them on disk, and what
// happens when some of them cannot be opened.
#include <stdint.h>

#include <string>
#include <vector>

#include "app/launch_tokens.h"
#include "app/token_filler.h"
#include "unit_support.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes Pattern(size_t size, unsigned char seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(seed + i * 7);
    return bytes;
}

uint32_t ReadLittleEndian32(const Bytes& bytes, size_t offset) {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
           uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

// The expected token file: the filler with the value at 2000.
Bytes TokenFile(uint32_t value) {
    Bytes bytes(kTokenFileSize);
    FillTokenFiller(bytes.data());
    StoreLittleEndian32(bytes.data() + kTokenOffset, value);
    return bytes;
}

// The first differing offsets, for a message that says where two files part.
std::string Differences(const Bytes& expected, const Bytes& got) {
    std::string text;
    int shown = 0;
    for (size_t i = 0; i < expected.size() && i < got.size() && shown < 5; ++i) {
        if (expected[i] != got[i]) {
            text += " at " + std::to_string(i) + ": expected " + std::to_string(expected[i]) +
                    ", got " + std::to_string(got[i]) + ";";
            ++shown;
        }
    }
    if (expected.size() != got.size())
        text += " size expected " + std::to_string(expected.size()) + ", got " +
                std::to_string(got.size());
    return text;
}

// A file that cannot be opened for writing: read-only, and held open by another
// program that shares it for reading only (the attribute alone does not stop an
// administrator on every host).
HANDLE MakeUnwritable(const std::string& path) {
    EXPECT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) << path;
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                OPEN_EXISTING, 0, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, holder) << "cannot hold " << path;
    return holder;
}

void Release(HANDLE holder) {
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
}

class LaunchTokens : public VornTest {};

TEST_F(LaunchTokens, BothFilesExactlyAsTheGameReadsThem) {
    ASSERT_TRUE(CreateDirectoryA(Path("Save").c_str(), NULL));
    WriteLaunchTokenFiles();
    Bytes save = ReadFileBytes(Path("Save\\VornGame.dat"));
    Bytes game = ReadFileBytes(Path("Game.dat"));
    ASSERT_EQ(3000u, save.size()) << "Save\\VornGame.dat";
    ASSERT_EQ(3000u, game.size()) << "Game.dat";
    EXPECT_EQ(604821u, ReadLittleEndian32(save, 2000)) << "VornGame.dat token";
    EXPECT_EQ(3170926u, ReadLittleEndian32(game, 2000)) << "Game.dat token";
    EXPECT_TRUE(save == TokenFile(604821u)) << "VornGame.dat:" << Differences(TokenFile(604821u), save);
    for (size_t i = 0; i < 3000; ++i) {
        if (i >= 2000 && i < 2004) continue;
        ASSERT_EQ(int(save[i]), int(game[i])) << "the files differ outside the token at " << i;
    }
}

TEST_F(LaunchTokens, LongerFilesReplacedAndRepeatedWritesIdentical) {
    ASSERT_TRUE(CreateDirectoryA(Path("Save").c_str(), NULL));
    ASSERT_TRUE(WriteFileBytes(Path("Save\\VornGame.dat"), Pattern(5000, 1)));
    ASSERT_TRUE(WriteFileBytes(Path("Game.dat"), Pattern(3001, 2)));
    WriteLaunchTokenFiles();
    Bytes firstSave = ReadFileBytes(Path("Save\\VornGame.dat"));
    Bytes firstGame = ReadFileBytes(Path("Game.dat"));
    EXPECT_TRUE(firstSave == TokenFile(604821u)) << "VornGame.dat:" << Differences(TokenFile(604821u), firstSave);
    EXPECT_TRUE(firstGame == TokenFile(3170926u)) << "Game.dat:" << Differences(TokenFile(3170926u), firstGame);

    WriteLaunchTokenFiles();
    Bytes secondSave = ReadFileBytes(Path("Save\\VornGame.dat"));
    Bytes secondGame = ReadFileBytes(Path("Game.dat"));
    EXPECT_TRUE(firstSave == secondSave) << "VornGame.dat changed:" << Differences(firstSave, secondSave);
    EXPECT_TRUE(firstGame == secondGame) << "Game.dat changed:" << Differences(firstGame, secondGame);
}

// A token file that does not open is skipped; the other one is still written whole.
TEST_F(LaunchTokens, OneFileFailingLeavesTheOtherWritten) {
    // No Save folder: VornGame.dat cannot be created, and no folder appears.
    WriteLaunchTokenFiles();
    EXPECT_FALSE(FileExists(Path("Save"))) << "the Save folder must not be created";
    Bytes game = ReadFileBytes(Path("Game.dat"));
    EXPECT_TRUE(game == TokenFile(3170926u)) << "Game.dat:" << Differences(TokenFile(3170926u), game);

    // An unwritable Game.dat keeps its bytes; VornGame.dat is written.
    ASSERT_TRUE(CreateDirectoryA(Path("Save").c_str(), NULL));
    Bytes old = Pattern(100, 3);
    ASSERT_TRUE(DeleteFileA(Path("Game.dat").c_str()));
    ASSERT_TRUE(WriteFileBytes(Path("Game.dat"), old));
    HANDLE holder = MakeUnwritable(Path("Game.dat"));
    WriteLaunchTokenFiles();
    Bytes kept = ReadFileBytes(Path("Game.dat"));
    Release(holder);
    EXPECT_TRUE(kept == old) << "unwritable Game.dat was changed:" << Differences(old, kept);
    Bytes save = ReadFileBytes(Path("Save\\VornGame.dat"));
    EXPECT_TRUE(save == TokenFile(604821u)) << "VornGame.dat:" << Differences(TokenFile(604821u), save);
}

// Profile stamps. Each row sets up the three files and says what each must hold after.
enum FileSetup { kMissing, kWritable, kUnwritable };

struct StampFile {
    FileSetup setup;
    size_t size;  // of the file made beforehand
};

struct StampCase {
    const char* what;
    bool makeFolder;
    StampFile files[3];  // profeng, profkor, skirmish
};

const char* const kStampNames[3] = {"initdata\\profeng.dat", "initdata\\profkor.dat",
                                    "initdata\\skirmish.dat"};
const uint32_t kStampValues[3] = {271648u, 438297u, 915073u};

TEST_F(LaunchTokens, ProfileStamps) {
    const StampCase cases[] = {
        {"three files of 5000 bytes", true,
         {{kWritable, 5000}, {kWritable, 5000}, {kWritable, 5000}}},
        // the stamp ends at the last byte: the length stays 2004
        {"files that end with the stamp or one byte after", true,
         {{kWritable, 2004}, {kWritable, 2005}, {kWritable, 2004}}},
        // shorter than 2000 or ending inside the stamp: the file grows to 2004
        {"short files", true, {{kWritable, 10}, {kWritable, 1999}, {kWritable, 2002}}},
        {"an empty file", true, {{kWritable, 0}, {kWritable, 5000}, {kWritable, 5000}}},
        {"a missing file is not created", true,
         {{kWritable, 5000}, {kMissing, 0}, {kWritable, 5000}}},
        {"an unwritable file is left as it was", true,
         {{kWritable, 5000}, {kWritable, 5000}, {kUnwritable, 5000}}},
        {"only the last one present", true, {{kMissing, 0}, {kUnwritable, 3000}, {kWritable, 3000}}},
        {"no initdata folder", false, {{kMissing, 0}, {kMissing, 0}, {kMissing, 0}}},
    };
    for (const StampCase& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveFolderTree(Path("initdata"));
        if (c.makeFolder) {
            ASSERT_TRUE(CreateDirectoryA(Path("initdata").c_str(), NULL));
        }
        Bytes before[3];
        HANDLE holders[3] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
        for (int f = 0; f < 3; ++f) {
            if (c.files[f].setup == kMissing) continue;
            before[f] = Pattern(c.files[f].size, static_cast<unsigned char>(f * 50 + 1));
            ASSERT_TRUE(WriteFileBytes(Path(kStampNames[f]), before[f])) << kStampNames[f];
            if (c.files[f].setup == kUnwritable) holders[f] = MakeUnwritable(Path(kStampNames[f]));
        }

        WriteProfileStamps();
        for (HANDLE holder : holders) Release(holder);

        EXPECT_EQ(c.makeFolder, FileExists(Path("initdata"))) << "initdata folder";
        for (int f = 0; f < 3; ++f) {
            const std::string name = kStampNames[f];
            if (c.files[f].setup == kMissing) {
                EXPECT_FALSE(FileExists(Path(name))) << name << " was created";
                continue;
            }
            Bytes after = ReadFileBytes(Path(name));
            if (c.files[f].setup == kUnwritable) {
                EXPECT_TRUE(after == before[f]) << name << " (unwritable) changed:"
                                                << Differences(before[f], after);
                continue;
            }
            size_t expectedSize = before[f].size() < 2004 ? 2004 : before[f].size();
            ASSERT_EQ(expectedSize, after.size()) << name << " length";
            EXPECT_EQ(kStampValues[f], ReadLittleEndian32(after, 2000)) << name << " stamp";
            // Bytes that were there before stay; a gap below 2000 is the platform's.
            for (size_t i = 0; i < before[f].size(); ++i) {
                if (i >= 2000 && i < 2004) continue;
                ASSERT_EQ(int(before[f][i]), int(after[i])) << name << " byte " << i;
            }
        }
    }
}

}  // namespace
