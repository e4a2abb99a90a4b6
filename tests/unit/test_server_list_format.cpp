// ServerList.dat contents against the tables they give. Every case is read twice, from
// a file opened in text mode and from the same bytes in memory, and both must agree.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "unit_support.h"

#include "dialogs/server_list_format.h"

namespace {

const unsigned char kCanary = 0xA5;

// The table between guard bytes: a write past either end shows.
struct GuardedTable {
    unsigned char before[32];
    ServerListTable table;
    unsigned char after[32];
};

void Prepare(GuardedTable* guarded) {
    memset(guarded, kCanary, sizeof *guarded);
    memset(&guarded->table, 0, sizeof guarded->table);
}

bool CanariesIntact(const GuardedTable& guarded) {
    for (unsigned char b : guarded.before)
        if (b != kCanary) return false;
    for (unsigned char b : guarded.after)
        if (b != kCanary) return false;
    return true;
}

struct Expected {
    const char* displayName;
    const char* tcpAddress;
    int32_t tcpPort;
    const char* ladderAddress;
    int32_t ladderPort;
};

const Expected kUnset = {"", "", 0, "", 0};

std::string Show(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else out += (char)c;
    }
    return out;
}

void ExpectEntry(const Expected& want, const ServerEntry& got, const std::string& where) {
    EXPECT_STREQ(want.displayName, got.displayName) << where << ": displayName";
    EXPECT_STREQ(want.tcpAddress, got.tcpAddress) << where << ": tcpAddress";
    EXPECT_EQ(want.tcpPort, got.tcpPort) << where << ": tcpPort";
    EXPECT_STREQ(want.ladderAddress, got.ladderAddress) << where << ": ladderAddress";
    EXPECT_EQ(want.ladderPort, got.ladderPort) << where << ": ladderPort";
}

class ServerListFormat : public VornTest {
protected:
    // Reads bytes both ways into *fromFile and *fromBytes (each prepared beforehand)
    // and checks that the two tables are byte for byte the same.
    void ReadBoth(const std::string& bytes, GuardedTable* fromFile, GuardedTable* fromBytes,
                  const std::string& what) {
        std::string path = Path("ServerList.dat");
        ASSERT_TRUE(WriteFileBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end())))
            << what << ": could not write " << path;
        FILE* file = fopen(path.c_str(), "rt");
        ASSERT_TRUE(file != NULL) << what << ": could not open " << path;
        ReadServerList(file, &fromFile->table);
        fclose(file);
        ReadServerListBytes(bytes.data(), bytes.size(), &fromBytes->table);
        EXPECT_EQ(0, memcmp(fromFile, fromBytes, sizeof *fromFile))
            << what << ": the text-mode file and the bytes in memory gave different tables"
            << " for \"" << Show(bytes) << "\"";
    }

    // Reads both ways from a cleared table and returns the table from the file.
    GuardedTable Read(const std::string& bytes, const std::string& what) {
        GuardedTable fromFile, fromBytes;
        Prepare(&fromFile);
        Prepare(&fromBytes);
        ReadBoth(bytes, &fromFile, &fromBytes, what);
        EXPECT_TRUE(CanariesIntact(fromFile)) << what << ": written outside the table";
        EXPECT_TRUE(CanariesIntact(fromBytes)) << what << ": written outside the table";
        return fromFile;
    }
};

// One well-formed entry, for building cases.
std::string Entry(const std::string& name, const std::string& tcp, const std::string& tcpPort,
                  const std::string& ladder, const std::string& ladderPort,
                  const char* end = "\n") {
    return "#DNS " + name + end + "#TCPIP " + tcp + end + "#TCPPORT " + tcpPort + end +
           "#LADDERIP " + ladder + end + "#LADDERPORT " + ladderPort + end;
}

TEST_F(ServerListFormat, ContentsGiveTheirTables) {
    struct Case {
        const char* what;
        std::string bytes;
        int32_t count;
        std::vector<Expected> entries;  // entries 0.. checked; the rest must be unset
    };
    const std::string nul(1, '\0');
    const Case cases[] = {
        {"empty file", "", 0, {}},
        {"only blank lines", "\n \n\t\n", 0, {}},
        {"count 0 with an entry behind it", "0\n" + Entry("A", "a", "1", "b", "2"), 0, {}},
        {"negative count", "-3\n" + Entry("A", "a", "1", "b", "2"), 0, {}},
        {"count not a number", "x1\n" + Entry("A", "a", "1", "b", "2"), 0, {}},
        {"sign without digits", "-\n" + Entry("A", "a", "1", "b", "2"), 0, {}},
        {"two entries in file order",
         "2\n" + Entry("Vorn Main", "192.168.0.10", "7000", "ladder.example", "7001") +
             Entry("Second", "10.0.0.1", "7100", "10.0.0.2", "7101"),
         2,
         {{"Vorn Main", "192.168.0.10", 7000, "ladder.example", 7001},
          {"Second", "10.0.0.1", 7100, "10.0.0.2", 7101}}},
        {"plus sign, blanks and blank lines around the count",
         "  +1 \t\n\n \n" + Entry("A", "a", "1", "b", "2"), 1, {{"A", "a", 1, "b", 2}}},
        {"two blanks: the name begins with one", "1\n" + Entry(" Lead", "a", "1", "b", "2"), 1,
         {{" Lead", "a", 1, "b", 2}}},
        {"a tab as the separator",
         "1\n#DNS\tTabbed\n#TCPIP\ta\n#TCPPORT\t1\n#LADDERIP\tb\n#LADDERPORT\t2\n", 1,
         {{"Tabbed", "a", 1, "b", 2}}},
        {"blanks at the end stay", "1\n" + Entry("Trail \t ", "a ", "1", "b", "2"), 1,
         {{"Trail \t ", "a ", 1, "b", 2}}},
        {"blanks before the keyword",
         "1\n  #DNS A\n\t#TCPIP a\n #TCPPORT 1\n #LADDERIP b\n #LADDERPORT 2\n", 1,
         {{"A", "a", 1, "b", 2}}},
        {"ports: digits then letters, letters only",
         "1\n" + Entry("A", "a", "7000abc", "b", "abc"), 1, {{"A", "a", 7000, "b", 0}}},
        {"ports: minus sign, blanks before the digits",
         "1\n" + Entry("A", "a", "-25", "b", "  42"), 1, {{"A", "a", -25, "b", 42}}},
        {"ports beyond 32 bits stop at the limit",
         "1\n" + Entry("A", "a", "99999999999", "b", "-99999999999"), 1,
         {{"A", "a", 2147483647, "b", (-2147483647 - 1)}}},
        {"keyword in other case",
         "1\n#dns A\n#TcpIp a\n#TCPPORT 1\n#LADDERIP b\n#LADDERPORT 2\n", 1,
         {{"", "", 1, "b", 2}}},
        {"keyword glued to its value",
         "1\n#DNSname\n#TCPIP_x a\n#TCPPORT:1\n#LADDERIP b\n#LADDERPORT 2\n", 1,
         {{"", "", 0, "b", 2}}},
        {"keyword without a value, or with nothing but the separator",
         "1\n#DNS\n#TCPIP \n#TCPPORT  \n#LADDERIP b\n#LADDERPORT 2\n", 1,
         {{"", "", 0, "b", 2}}},
        {"an empty line uses up its position",
         "1\n#DNS A\n\n#TCPIP a\n#TCPPORT 1\n#LADDERIP b\n", 1, {{"A", "", 0, "", 0}}},
        {"a word after the count: every line one position late",
         "2 servers\n" + Entry("A", "a", "1", "b", "2") + Entry("B", "c", "3", "d", "4"), 2,
         {kUnset, kUnset}},
        {"a missing #TCPIP line shifts everything after it",
         "2\n#DNS A\n#TCPPORT 1\n#LADDERIP b\n#LADDERPORT 2\n" + Entry("B", "c", "3", "d", "4"),
         2, {{"A", "", 0, "", 0}, kUnset}},
        {"count larger than the entries present", "3\n" + Entry("A", "a", "1", "b", "2"), 3,
         {{"A", "a", 1, "b", 2}, kUnset, kUnset}},
        {"last line without a line end",
         "1\n#DNS A\n#TCPIP a\n#TCPPORT 1\n#LADDERIP b\n#LADDERPORT 7001", 1,
         {{"A", "a", 1, "b", 7001}}},
        {"CR LF line ends read as LF",
         "2\r\n" + Entry("Vorn Main", "192.168.0.10", "7000", "ladder.example", "7001", "\r\n") +
             Entry("Second", "10.0.0.1", "7100", "10.0.0.2", "7101", "\r\n"),
         2,
         {{"Vorn Main", "192.168.0.10", 7000, "ladder.example", 7001},
          {"Second", "10.0.0.1", 7100, "10.0.0.2", 7101}}},
        {"a CR not followed by LF stays in the value",
         "1\n#DNS A\rB\n#TCPIP a\r\r\n#TCPPORT 1\n#LADDERIP b\n#LADDERIP2 x\n", 1,
         {{"A\rB", "a\r", 1, "b", 0}}},
        {"a CR at the very end", "1\n#DNS A\n#TCPIP a\n#TCPPORT 1\n#LADDERIP b\r", 1,
         {{"A", "a", 1, "b\r", 0}}},
        {"Ctrl-Z ends the text", "1\n#DNS ab\x1A" "cd\n#TCPIP a\n", 1, {{"ab", "", 0, "", 0}}},
        {"a zero byte ends the line's text, the rest of the line is used up",
         "1\n#DNS ab" + nul + "cd\n#TCPIP a" + nul + "\n#TCPPORT 1\n#LADDERIP b\n#LADDERPORT 2\n",
         1, {{"ab", "a", 1, "b", 2}}},
        {"a zero byte before the keyword",
         "1\n" + nul + "#DNS ab\n#TCPIP a\n#TCPPORT 1\n#LADDERIP b\n#LADDERPORT 2\n", 1,
         {{"", "a", 1, "b", 2}}},
        {"count wraps in 32 bits as the C library's conversion does",
         "4294967297\n" + Entry("A", "a", "1", "b", "2"), 1, {{"A", "a", 1, "b", 2}}},
        {"Korean name bytes taken as they stand",
         "1\n" + Entry("\xBA\xB8\xB8\xA5 \xBC\xAD\xB9\xF6", "a", "1", "b", "2"), 1,
         {{"\xBA\xB8\xB8\xA5 \xBC\xAD\xB9\xF6", "a", 1, "b", 2}}},
    };
    for (const Case& c : cases) {
        GuardedTable result = Read(c.bytes, c.what);
        EXPECT_EQ(c.count, result.table.count) << c.what << ": count";
        for (int i = 0; i < kServerListCapacity; ++i) {
            const Expected& want = (size_t)i < c.entries.size() ? c.entries[i] : kUnset;
            ExpectEntry(want, result.table.entries[i],
                        std::string(c.what) + ", entry " + std::to_string(i));
        }
    }
}

// Lines are read in pieces of at most 255 characters; the rest of a longer line is the
// next line.
TEST_F(ServerListFormat, LongLinesAreReadInPieces) {
    const std::string rest = "#TCPPORT 1\n#LADDERIP b\n#LADDERPORT 2\n";
    struct Case {
        const char* what;
        std::string bytes;
        Expected entry;
    } cases[] = {
        // 5 + 249 + '\n' = 255: one piece.
        {"254 characters and the line end", "1\n#DNS " + std::string(249, 'n') + "\n#TCPIP a\n" + rest,
         {"nnnnnnnnnnnnnnnnnnnnnnnnnnnnn", "a", 1, "b", 2}},
        // 255 characters fill the piece; the line end alone is the next line.
        {"255 characters and the line end", "1\n#DNS " + std::string(250, 'n') + "\n#TCPIP a\n" + rest,
         {"nnnnnnnnnnnnnnnnnnnnnnnnnnnnn", "", 0, "", 0}},
        // The rest of the long line makes a #TCPIP line of its own.
        {"the rest of a long line is the next line",
         "1\n#DNS " + std::string(250, 'n') + "#TCPIP spill\n" + rest,
         {"nnnnnnnnnnnnnnnnnnnnnnnnnnnnn", "spill", 1, "b", 2}},
    };
    for (const Case& c : cases) {
        GuardedTable result = Read(c.bytes, c.what);
        EXPECT_EQ(1, result.table.count) << c.what;
        ExpectEntry(c.entry, result.table.entries[0], c.what);
    }
}

// Values longer than their fields are cut to 29 or 49 bytes and terminated.
TEST_F(ServerListFormat, LongValuesAreCutToTheirFields) {
    const std::string name(40, 'N'), tcp(60, 'T'), ladder(200, 'L');
    std::string bytes = "20\n";
    for (int i = 0; i < 20; ++i) bytes += Entry(name, tcp, "1", ladder, "2");
    GuardedTable result = Read(bytes, "long values");
    ASSERT_EQ(20, result.table.count);
    const std::string cutName(29, 'N'), cutTcp(49, 'T'), cutLadder(49, 'L');
    for (int i = 0; i < 20; ++i)
        ExpectEntry({cutName.c_str(), cutTcp.c_str(), 1, cutLadder.c_str(), 2},
                    result.table.entries[i], "entry " + std::to_string(i));
}

// The table holds 20 entries: a larger count fills those and stops.
TEST_F(ServerListFormat, CountAboveTwentyFillsTwenty) {
    for (int count : {21, 25, 1000}) {
        std::string bytes = std::to_string(count) + "\n";
        for (int i = 0; i < 25; ++i) {
            std::string n = std::to_string(i);
            bytes += Entry("S" + n, "tcp" + n, std::to_string(7000 + i), "lad" + n,
                           std::to_string(8000 + i));
        }
        std::string what = "count " + std::to_string(count);
        GuardedTable result = Read(bytes, what);
        EXPECT_EQ(20, result.table.count) << what;
        for (int i = 0; i < 20; ++i) {
            std::string n = std::to_string(i);
            std::string name = "S" + n, tcp = "tcp" + n, lad = "lad" + n;
            ExpectEntry({name.c_str(), tcp.c_str(), 7000 + i, lad.c_str(), 8000 + i},
                        result.table.entries[i], what + ", entry " + n);
        }
    }
}

// Reading sets only what the file gives: other fields keep what the table held.
TEST_F(ServerListFormat, UnsetFieldsKeepTheirValues) {
    GuardedTable fromFile, fromBytes;
    for (GuardedTable* t : {&fromFile, &fromBytes}) {
        Prepare(t);
        for (ServerEntry& e : t->table.entries) {
            strcpy(e.displayName, "old");
            strcpy(e.tcpAddress, "old-tcp");
            strcpy(e.ladderAddress, "old-ladder");
            e.tcpPort = 11;
            e.ladderPort = 22;
        }
    }
    ReadBoth("2\n#DNS new\n#TCPPORT 5\n", &fromFile, &fromBytes, "partial file");
    EXPECT_EQ(2, fromFile.table.count);
    ExpectEntry({"new", "old-tcp", 11, "old-ladder", 22}, fromFile.table.entries[0], "entry 0");
    ExpectEntry({"old", "old-tcp", 11, "old-ladder", 22}, fromFile.table.entries[1], "entry 1");

    // No number at the start: the count stays as the table had it.
    for (GuardedTable* t : {&fromFile, &fromBytes}) t->table.count = 1;
    ReadBoth("x\n", &fromFile, &fromBytes, "no count");
    EXPECT_EQ(1, fromFile.table.count) << "a file without a count leaves the count as it was";
}

}  // namespace
