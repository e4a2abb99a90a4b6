// The decisions behind the machine probes, case by case.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "config/probe_rules.h"

TEST(ProbeRules, KoreanLanguageIds) {
    struct Case {
        uint16_t langId;
        int korean;
    } cases[] = {
        {0x0412, 1},  // Korean
        {0x0812, 1},  // Korean (Johab)
        {0x0409, 0},  // English (United States)
        {0x0012, 0},  // the neutral Korean id is not a system default that counts
        {0x0000, 0},
        {0x0413, 0},  // a neighbour of Korean
        {0x1012, 0},  // same primary language, another sub-language
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.korean, IsKoreanLanguageId(c.langId))
            << "language id 0x" << std::hex << c.langId;
}

TEST(ProbeRules, OsClassTable) {
    struct Case {
        uint32_t platform, major, minor;
        int expected;
        const char* what;
    } cases[] = {
        {0, 3, 10, kOsWin32s, "Win32s"},
        {0, 6, 1, kOsWin32s, "Win32s, whatever the version"},
        {1, 4, 0, kOsWin95, "Windows 95"},
        {1, 3, 95, kOsWin95, "Windows family below 4"},
        {1, 4, 10, kOsWin98, "Windows 98"},
        {1, 4, 90, kOsWin98, "Windows Me"},
        {1, 5, 0, kOsWin98, "Windows family above 4"},
        {2, 3, 51, kOsNt4, "NT 3.51"},
        {2, 4, 0, kOsNt4, "NT 4.0"},
        {2, 5, 0, kOsNt5, "Windows 2000"},
        {2, 5, 1, kOsNt5, "Windows XP"},
        {2, 6, 1, kOsNt5, "NT 6.1: no Windows 95 socket update"},
        {2, 6, 2, kOsNt5, "NT 6.2"},
        {2, 10, 0, kOsNt5, "NT 10.0"},
        {3, 4, 0, kOsWin95, "any other platform id"},
        {0xFFFFFFFFu, 0, 0, kOsWin95, "any other platform id"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ClassifyOs(c.platform, c.major, c.minor))
            << c.what << " (platform " << c.platform << ", " << c.major << "." << c.minor << ")";
}

TEST(ProbeRules, DirectXVersionThreshold) {
    struct Case {
        int queryResult;
        uint32_t version;
        int expected;
    } cases[] = {
        {1, 0x00040007u, 1},  // DirectX 7
        {1, 0x00040006u, 0},  // DirectX 6
        {1, 0x00040009u, 1},  // DirectX 9
        {1, 0x00050000u, 1},  // compared as one unsigned number
        {1, 0x80000000u, 1},  // not taken as negative
        {1, 0x00000000u, 0},
        {0, 0x00040009u, 0},  // failed query, whatever the version field holds
        {-1, 0x00040007u, 1}, // any non-zero result is success
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, IsDirectX7OrLater(c.queryResult, c.version))
            << "query result " << c.queryResult << ", version 0x" << std::hex << c.version;
}

TEST(ProbeRules, BrowserCommandScan) {
    const std::string longPath = "C:\\" + std::string(150, 'p') + "\\browser.exe";
    const std::string quotedLong = "\"" + longPath + "\" -url \"%1\"";
    struct Case {
        std::string command;
        std::string expected;
        const char* what;
    } cases[] = {
        {"\"C:\\Program Files\\Stub\\browser.exe\" -nohome \"%1\"",
         "C:\\Program Files\\Stub\\browser.exe", "quoted path with arguments"},
        {"C:\\Stub\\browser.exe %1", "", "unquoted command"},
        {"C:\\Stub\\browser.exe \"%1", "%1", "a single quote: everything after it"},
        {"x \"C:\\b.exe", "C:\\b.exe", "text before the first quote is skipped"},
        {"", "", "empty command"},
        {"\"\" %1", "", "empty quotes"},
        {quotedLong, longPath, "path of more than 99 characters kept whole"},
    };
    for (const Case& c : cases) {
        char out[261];
        memset(out, 0xAA, sizeof out);
        size_t length = ScanBrowserCommand(c.command.c_str(), out, sizeof out);
        EXPECT_EQ(c.expected, std::string(out)) << c.what << ": " << c.command;
        EXPECT_EQ(c.expected.size(), length) << c.what;
    }
}

TEST(ProbeRules, BrowserCommandCutToField) {
    // Sizes at the edge: the path needs 11 bytes with its terminator.
    const char* command = "\"C:\\abc.exe\" %1";
    struct Case {
        size_t outSize;
        const char* expected;
    } cases[] = {{11, "C:\\abc.exe"}, {10, "C:\\abc.ex"}, {2, "C"}, {1, ""}};
    for (const Case& c : cases) {
        char out[16];
        memset(out, 0xAA, sizeof out);
        size_t length = ScanBrowserCommand(command, out, c.outSize);
        EXPECT_STREQ(c.expected, out) << "field of " << c.outSize << " bytes";
        EXPECT_EQ(strlen(c.expected), length) << "field of " << c.outSize << " bytes";
        EXPECT_EQ((char)0xAA, out[c.outSize]) << "wrote past a field of " << c.outSize << " bytes";
    }
    char untouched = 'z';
    EXPECT_EQ(0u, ScanBrowserCommand(command, &untouched, 0));
    EXPECT_EQ('z', untouched) << "a field of 0 bytes must stay unwritten";
}
