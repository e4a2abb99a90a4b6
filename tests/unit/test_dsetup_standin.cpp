// The DirectX setup stand-in: its version query is reachable by ordinal 11
// only and answers as VORN_DSETUP_VERSION says.
#include <string>

#include "unit_support.h"

namespace {

typedef int(WINAPI* VersionQuery)(DWORD*, DWORD*);

// The build folder as Wine sees it (the Unix root is drive Z:).
std::string StandinPath(const char* name) {
    std::string path = std::string("Z:") + VORN_BINARY_DIR + "/standins/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

class DsetupStandin : public VornTest {
protected:
    void SetUp() override {
        VornTest::SetUp();
        SetEnvironmentVariableA("VORN_RECORD_DIR", folder.c_str());
        library = LoadLibraryA(StandinPath("DSETUP.dll").c_str());
        ASSERT_TRUE(library != NULL) << "expected " << StandinPath("DSETUP.dll")
                                     << " to load (build target vorn_standins), error "
                                     << GetLastError();
        query = reinterpret_cast<VersionQuery>(
            reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(11))));
    }
    void TearDown() override {
        SetEnvironmentVariableA("VORN_DSETUP_VERSION", NULL);
        SetEnvironmentVariableA("VORN_RECORD_DIR", NULL);
        if (library) FreeLibrary(library);
        VornTest::TearDown();
    }
    HMODULE library = NULL;
    VersionQuery query = NULL;
};

TEST_F(DsetupStandin, ExportedByOrdinalOnly) {
    EXPECT_TRUE(query != NULL) << "expected an export with ordinal 11";
    EXPECT_TRUE(GetProcAddress(library, "DirectXSetupGetVersion") == NULL)
        << "expected no export by name";
    EXPECT_TRUE(GetProcAddress(library, "DirectXSetupGetVersion@8") == NULL)
        << "expected no export by decorated name";
}

TEST_F(DsetupStandin, AnswersAsTheVariableSays) {
    ASSERT_TRUE(query != NULL);
    struct Case {
        const char* variable;  // NULL: unset
        int result;
        DWORD version;  // when result is 1
    } cases[] = {
        {NULL, 1, 0x00040007},          // default: DirectX 7
        {"0x00040006", 1, 0x00040006},  // DirectX 6
        {"00040009", 1, 0x00040009},    // without the 0x prefix
        {"fail", 0, 0},
        {"seven", 0, 0},  // no number
        {"", 0, 0},       // set but empty
    };
    for (const Case& c : cases) {
        SetEnvironmentVariableA("VORN_DSETUP_VERSION", c.variable);
        DWORD version = 0xAAAAAAAA, revision = 0xAAAAAAAA;
        int result = query(&version, &revision);
        const char* shown = c.variable ? c.variable : "<unset>";
        EXPECT_EQ(c.result, result) << "VORN_DSETUP_VERSION=" << shown;
        if (c.result == 1) {
            EXPECT_EQ(c.version, version) << "VORN_DSETUP_VERSION=" << shown;
            EXPECT_EQ(0u, revision) << "VORN_DSETUP_VERSION=" << shown;
        } else {
            EXPECT_EQ(0xAAAAAAAAu, version) << "expected version untouched, VORN_DSETUP_VERSION=" << shown;
            EXPECT_EQ(0xAAAAAAAAu, revision) << "expected revision untouched, VORN_DSETUP_VERSION=" << shown;
        }
    }
    SetEnvironmentVariableA("VORN_DSETUP_VERSION", NULL);
    EXPECT_EQ(1, query(NULL, NULL)) << "expected null outputs to be skipped";

    // One block per call, each closed by an empty line.
    std::vector<unsigned char> bytes = ReadFileBytes(Path("DSETUP.rec"));
    std::string record(bytes.begin(), bytes.end());
    size_t blocks = 0;
    for (size_t at = record.find("program=DSETUP.dll\r\n"); at != std::string::npos;
         at = record.find("program=DSETUP.dll\r\n", at + 1))
        ++blocks;
    EXPECT_EQ(7u, blocks) << "record:\n" << record;
    EXPECT_NE(std::string::npos, record.find("version_env=0x00040006\r\nresult=1\r\nversion=0x00040006\r\n\r\n"))
        << "record:\n" << record;
    EXPECT_NE(std::string::npos, record.find("version_env=fail\r\nresult=0\r\n\r\n")) << "record:\n"
                                                                                     << record;
}

}  // namespace
