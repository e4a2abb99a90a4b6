// The run's server table: resetting it, and loading .\Launcher\ServerList.dat from the
// current directory.
#include <string.h>

#include <string>

#include "unit_support.h"

#include "dialogs/server_list.h"

namespace {

const char kListPath[] = ".\\Launcher\\ServerList.dat";

// Every byte of the table set to a pattern, with a count that is plainly not read.
void FillWithPattern() {
    memset(&ServerList, 0x5A, sizeof ServerList);
    ServerList.count = 7;
}

bool TableIsPattern() {
    ServerListTable expected;
    memset(&expected, 0x5A, sizeof expected);
    expected.count = 7;
    return memcmp(&expected, &ServerList, sizeof expected) == 0;
}

class ServerListLoad : public VornTest {
protected:
    void SetUp() override {
        VornTest::SetUp();
        ASSERT_TRUE(CreateDirectoryA(Path("Launcher").c_str(), NULL)) << "Launcher folder";
    }
};

TEST_F(ServerListLoad, UnopenableFileGivesZeroAndLeavesTheTable) {
    FillWithPattern();
    EXPECT_EQ(0, LoadServerList(kListPath)) << "missing file";
    EXPECT_TRUE(TableIsPattern()) << "a missing file changed the table";

    ASSERT_TRUE(CreateDirectoryA(Path("Launcher\\ServerList.dat").c_str(), NULL));
    EXPECT_EQ(0, LoadServerList(kListPath)) << "a folder named ServerList.dat";
    EXPECT_TRUE(TableIsPattern()) << "a folder named ServerList.dat changed the table";
}

TEST_F(ServerListLoad, ReadsTheFileBelowTheCurrentDirectory) {
    ASSERT_TRUE(WriteFileText(Path("Launcher\\ServerList.dat"),
                              "1\r\n#DNS Vorn One\r\n#TCPIP 10.1.1.1\r\n#TCPPORT 7000\r\n"
                              "#LADDERIP 10.1.1.2\r\n#LADDERPORT 7001\r\n"));
    ResetServerList();
    EXPECT_EQ(1, LoadServerList(kListPath));
    EXPECT_EQ(1, ServerList.count);
    EXPECT_STREQ("Vorn One", ServerList.entries[0].displayName);
    EXPECT_STREQ("10.1.1.1", ServerList.entries[0].tcpAddress);
    EXPECT_EQ(7000, ServerList.entries[0].tcpPort);
    EXPECT_STREQ("10.1.1.2", ServerList.entries[0].ladderAddress);
    EXPECT_EQ(7001, ServerList.entries[0].ladderPort);

    // An empty file opens: result 1, no entries.
    ASSERT_TRUE(WriteFileText(Path("Launcher\\ServerList.dat"), ""));
    ResetServerList();
    EXPECT_EQ(1, LoadServerList(kListPath)) << "an empty file still counts as read";
    EXPECT_EQ(0, ServerList.count);
}

// Reset clears the count and all 20 entries, so a field that the next file does not
// set is empty or 0, never a leftover of an earlier reading.
TEST_F(ServerListLoad, ResetClearsEveryEntry) {
    FillWithPattern();
    ResetServerList();
    const unsigned char* bytes = (const unsigned char*)&ServerList;
    size_t firstSet = sizeof ServerList;
    for (size_t i = 0; i < sizeof ServerList && firstSet == sizeof ServerList; ++i)
        if (bytes[i] != 0) firstSet = i;
    EXPECT_EQ(sizeof ServerList, firstSet) << "byte " << firstSet << " of the table not cleared";

    const std::string full =
        "2\n#DNS A\n#TCPIP a\n#TCPPORT 1\n#LADDERIP b\n#LADDERPORT 2\n"
        "#DNS B\n#TCPIP c\n#TCPPORT 3\n#LADDERIP d\n#LADDERPORT 4\n";
    ASSERT_TRUE(WriteFileText(Path("Launcher\\ServerList.dat"), full));
    ResetServerList();
    ASSERT_EQ(1, LoadServerList(kListPath));
    ASSERT_STREQ("d", ServerList.entries[1].ladderAddress);

    // The second entry now has only its name.
    ASSERT_TRUE(WriteFileText(Path("Launcher\\ServerList.dat"),
                              "2\n#DNS A\n#TCPIP a\n#TCPPORT 1\n#LADDERIP b\n#LADDERPORT 2\n"
                              "#DNS B\n"));
    ResetServerList();
    ASSERT_EQ(1, LoadServerList(kListPath));
    EXPECT_EQ(2, ServerList.count);
    EXPECT_STREQ("B", ServerList.entries[1].displayName);
    EXPECT_STREQ("", ServerList.entries[1].tcpAddress) << "leftover of the earlier reading";
    EXPECT_EQ(0, ServerList.entries[1].tcpPort) << "leftover of the earlier reading";
    EXPECT_STREQ("", ServerList.entries[1].ladderAddress) << "leftover of the earlier reading";
    EXPECT_EQ(0, ServerList.entries[1].ladderPort) << "leftover of the earlier reading";
}

}  // namespace
