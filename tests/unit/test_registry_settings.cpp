// Settings under HKCU\SOFTWARE\VornKT: first-run defaults, probes and writers, checked
// against the raw registry (types and data sizes are read by the game).
#include <string.h>

#include <string>
#include <vector>

#include "config/registry_settings.h"
#include "unit_support.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes DwordBytes(DWORD v) {
    return Bytes{(unsigned char)(v & 0xFF), (unsigned char)((v >> 8) & 0xFF),
                 (unsigned char)((v >> 16) & 0xFF), (unsigned char)(v >> 24)};
}

// text, its terminator and zero bytes up to size
Bytes TextField(const std::string& text, size_t size) {
    Bytes bytes(text.begin(), text.end());
    bytes.resize(size, 0);
    return bytes;
}

std::string Hex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (unsigned char b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
        s += ' ';
    }
    return s;
}

struct Expected {
    const char* key;
    const char* name;
    DWORD type;
    Bytes data;
};

void ExpectValues(const std::vector<Expected>& values) {
    for (const Expected& e : values) {
        RegValue v = ReadVornValue(e.key, e.name);
        std::string where = std::string(e.key) + "\\" + (*e.name ? e.name : "(default)");
        if (!v.present) {
            ADD_FAILURE() << where << ": expected a value, found none";
            continue;
        }
        EXPECT_EQ(e.type, v.type) << where << ": type";
        EXPECT_EQ(e.data.size(), v.data.size()) << where << ": data size";
        EXPECT_EQ(Hex(e.data), Hex(v.data)) << where << ": data";
    }
}

void ExpectAbsent(const char* key, const char* name) {
    EXPECT_FALSE(ReadVornValue(key, name).present)
        << key << "\\" << (*name ? name : "(default)") << ": expected no value, found one";
}

bool SetVornText(const char* key, const char* name, const std::string& text) {
    return SetVornRaw(key, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

void StartUp(const char* launcherDir) {
    CreateDefaultKeys(launcherDir);
    if (!IsRenderInitSet()) ApplyInitialRenderSettings();
}

class RegistrySettings : public VornTest {
protected:
    // A folder below the test's own, optionally holding MathFunc.tbl (file or folder).
    enum Marker { kNoMarker, kMarkerFile, kMarkerFolder };
    std::string InstallFolder(const std::string& name, Marker marker) {
        std::string path = Path(name);
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), NULL)) << "cannot make " << path;
        std::string tbl = path + "\\MathFunc.tbl";
        if (marker == kMarkerFile) {
            EXPECT_TRUE(WriteFileText(tbl, "table")) << tbl;
        } else if (marker == kMarkerFolder) {
            EXPECT_TRUE(CreateDirectoryA(tbl.c_str(), NULL)) << tbl;
        }
        return path;
    }
};

}  // namespace

TEST_F(RegistrySettings, FreshUserGetsTheWholeSchema) {
    const char launcherDir[] = "C:\\Games\\Vorn";
    CreateDefaultKeys(launcherDir);
    EXPECT_EQ(0, IsRenderInitSet()) << "a new Launcher key holds RenderInit 0";
    ExpectValues({{"Launcher", "RenderMode", REG_DWORD, DwordBytes(1)}});
    ApplyInitialRenderSettings();

    ExpectValues({
        {"Launcher", "EndMode", REG_DWORD, DwordBytes(0)},
        {"Launcher", "RenderMode", REG_DWORD, DwordBytes(100)},
        {"Launcher", "RenderInit", REG_DWORD, DwordBytes(1)},
        {"Launcher", "StartMode", REG_DWORD, DwordBytes(0)},
        {"Dstdir", "", REG_SZ, TextField(launcherDir, 50)},
        {"SelectServer", "TcpDNS", REG_SZ, TextField("10", 50)},
        {"SelectServer", "LadderDNS", REG_SZ, TextField("10", 50)},
        {"SelectServer", "TcpPort", REG_DWORD, DwordBytes(0)},
        {"SelectServer", "LadderPort", REG_DWORD, DwordBytes(0)},
        {"SocketUpdate", "State", REG_DWORD, DwordBytes(0)},
    });
    ExpectAbsent("SelectServer", "");
    ExpectAbsent("SocketUpdate", "SocketUpdate");
    EXPECT_FALSE(VornKeyExists("InstallGame")) << "InstallGame is never created";
    EXPECT_EQ(1, IsRenderInitSet());
    EXPECT_EQ(0, IsServerRecorded());
    EXPECT_EQ(2, ProbeSocketUpdate());
    EXPECT_EQ(1, IsStartModeClear());
}

TEST_F(RegistrySettings, ExistingKeysAreLeftAlone) {
    ASSERT_TRUE(SetVornDword("Launcher", "RenderMode", 200));
    ASSERT_TRUE(SetVornDword("Launcher", "StartMode", 1));
    ASSERT_TRUE(SetVornText("Dstdir", "", "D:\\Elsewhere"));
    ASSERT_TRUE(CreateVornKey("SelectServer"));
    ASSERT_TRUE(CreateVornKey("SocketUpdate"));

    CreateDefaultKeys("C:\\Games\\Vorn");
    ExpectValues({
        {"Launcher", "RenderMode", REG_DWORD, DwordBytes(200)},
        {"Launcher", "StartMode", REG_DWORD, DwordBytes(1)},
        {"Dstdir", "", REG_SZ, TextField("D:\\Elsewhere", 13)},
    });
    const char* missing[][2] = {{"Launcher", "EndMode"},   {"Launcher", "RenderInit"},
                                {"SelectServer", "TcpDNS"}, {"SelectServer", "TcpPort"},
                                {"SocketUpdate", "State"}};
    for (auto& m : missing) ExpectAbsent(m[0], m[1]);

    // RenderInit missing: the initial render settings follow.
    EXPECT_EQ(0, IsRenderInitSet());
    ApplyInitialRenderSettings();
    ExpectValues({
        {"Launcher", "StartMode", REG_DWORD, DwordBytes(0)},
        {"Launcher", "RenderMode", REG_DWORD, DwordBytes(100)},
        {"Launcher", "RenderInit", REG_DWORD, DwordBytes(1)},
    });
    ExpectAbsent("Launcher", "EndMode");
}

TEST_F(RegistrySettings, InitialRenderSettingsNeedTheLauncherKey) {
    ApplyInitialRenderSettings();
    SetStartMode();
    EXPECT_EQ(0, WriteRenderMode(kRenderOpenGL)) << "no Launcher key: 0 expected";
    EXPECT_FALSE(VornKeyExists("Launcher")) << "writers must not create the Launcher key";
    EXPECT_FALSE(VornKeyExists("")) << "nothing at all may be created";
}

TEST_F(RegistrySettings, WriteRenderModeStoresADword) {
    ASSERT_TRUE(CreateVornKey("Launcher"));
    for (DWORD mode : {kRenderDirect3D, kRenderOpenGL, kRenderSavage}) {
        EXPECT_EQ(1, WriteRenderMode(mode));
        ExpectValues({{"Launcher", "RenderMode", REG_DWORD, DwordBytes(mode)}});
    }
}

TEST_F(RegistrySettings, ProbeRenderMode) {
    struct Case {
        bool present;
        DWORD stored;
        int expected;
        DWORD launchMode;  // LaunchRenderMode afterwards
    } cases[] = {
        {true, 150, 0, 150},  // read but not a mode: kept all the same
        {true, 300, 1, 300},
        {true, 100, 1, 100},
        {true, 200, 1, 200},
        {true, 1, 0, 1},      // the transient first-run value
        {true, 0, 0, 0},
        {false, 0, 0, 77},    // unreadable: LaunchRenderMode unchanged
    };
    ASSERT_TRUE(CreateVornKey("Launcher"));
    for (const Case& c : cases) {
        DeleteVornValue("Launcher", "RenderMode");
        if (c.present) {
            ASSERT_TRUE(SetVornDword("Launcher", "RenderMode", c.stored));
        }
        LaunchRenderMode = 77;
        EXPECT_EQ(c.expected, ProbeRenderMode()) << "RenderMode " << c.stored;
        EXPECT_EQ(c.launchMode, LaunchRenderMode) << "RenderMode " << c.stored;
    }
    ResetVornKey();
    LaunchRenderMode = 77;
    EXPECT_EQ(0, ProbeRenderMode()) << "no Launcher key";
    EXPECT_EQ(77u, LaunchRenderMode) << "no Launcher key";
}

TEST_F(RegistrySettings, ProbeInstallStateMatrix) {
    const std::string marked = InstallFolder("marked", kMarkerFile);
    const std::string open = InstallFolder("open", kNoMarker);
    const std::string markedByFolder = InstallFolder("dirmarked", kMarkerFolder);
    const std::string tooLong(300, 'x');
    struct Case {
        const char* what;
        bool installGame;
        const std::string* installGameDefault;  // NULL: none
        bool dstdir;
        const std::string* dstdirDefault;       // NULL: none
        int expected;
    } cases[] = {
        {"no InstallGame", false, NULL, true, &marked, 2},
        {"InstallGame without Dstdir", true, &marked, false, NULL, 1},
        {"Dstdir names a folder with MathFunc.tbl", true, NULL, true, &marked, 1},
        {"Dstdir names a folder without it", true, NULL, true, &open, 2},
        {"MathFunc.tbl is a folder", true, NULL, true, &markedByFolder, 1},
        {"Dstdir beats InstallGame", true, &marked, true, &open, 2},
        {"Dstdir without default: InstallGame's folder (marked)", true, &marked, true, NULL, 1},
        {"Dstdir without default: InstallGame's folder (open)", true, &open, true, NULL, 2},
        {"Dstdir default too long: InstallGame's folder", true, &marked, true, &tooLong, 1},
    };
    for (const Case& c : cases) {
        ResetVornKey();
        if (c.installGame) {
            ASSERT_TRUE(CreateVornKey("InstallGame"));
        }
        if (c.installGameDefault) {
            ASSERT_TRUE(SetVornText("InstallGame", "", *c.installGameDefault));
        }
        if (c.dstdir) {
            ASSERT_TRUE(CreateVornKey("Dstdir"));
        }
        if (c.dstdirDefault) {
            ASSERT_TRUE(SetVornText("Dstdir", "", *c.dstdirDefault));
        }
        EXPECT_EQ(c.expected, ProbeInstallState()) << c.what;
    }
}

TEST_F(RegistrySettings, RefreshInstallDir) {
    struct Case {
        const char* what;
        bool installGame;
        const char* installGameDefault;
        bool dstdir;
        const char* dstdirDefault;
        const char* expected;
    } cases[] = {
        {"no InstallGame: unchanged", false, NULL, true, "D:\\Dst", "previous"},
        {"no Dstdir: unchanged", true, "D:\\Inst", false, NULL, "previous"},
        {"Dstdir's folder", true, "D:\\Inst", true, "D:\\Dst", "D:\\Dst"},
        {"Dstdir without default: InstallGame's", true, "D:\\Inst", true, NULL, "D:\\Inst"},
        {"neither has a folder: empty", true, NULL, true, NULL, ""},
    };
    for (const Case& c : cases) {
        ResetVornKey();
        if (c.installGame) {
            ASSERT_TRUE(CreateVornKey("InstallGame"));
        }
        if (c.installGameDefault) {
            ASSERT_TRUE(SetVornText("InstallGame", "", c.installGameDefault));
        }
        if (c.dstdir) {
            ASSERT_TRUE(CreateVornKey("Dstdir"));
        }
        if (c.dstdirDefault) {
            ASSERT_TRUE(SetVornText("Dstdir", "", c.dstdirDefault));
        }
        strcpy(InstallDir, "previous");
        RefreshInstallDir();
        EXPECT_STREQ(c.expected, InstallDir) << c.what;
    }
}

TEST_F(RegistrySettings, LongLauncherDirIsStoredWhole) {
    const std::string launcherDir = InstallFolder(std::string(64, 'L'), kMarkerFile);
    ASSERT_GT(launcherDir.size(), 60u);
    StartUp(launcherDir.c_str());
    Bytes whole(launcherDir.begin(), launcherDir.end());
    whole.push_back(0);
    ExpectValues({{"Dstdir", "", REG_SZ, whole}});

    ASSERT_TRUE(CreateVornKey("InstallGame"));
    EXPECT_EQ(1, ProbeInstallState()) << "MathFunc.tbl in " << launcherDir << " not found";
    RefreshInstallDir();
    EXPECT_EQ(launcherDir, std::string(InstallDir));
}

TEST_F(RegistrySettings, StartModeHandshake) {
    EXPECT_EQ(1, IsStartModeClear()) << "no Launcher key";
    ASSERT_TRUE(CreateVornKey("Launcher"));
    EXPECT_EQ(1, IsStartModeClear()) << "StartMode missing";
    SetStartMode();
    ExpectValues({{"Launcher", "StartMode", REG_DWORD, DwordBytes(1)}});
    EXPECT_EQ(0, IsStartModeClear()) << "StartMode 1";
    ASSERT_TRUE(SetVornDword("Launcher", "StartMode", 0));  // the game ends
    EXPECT_EQ(1, IsStartModeClear()) << "StartMode 0";
    ASSERT_TRUE(SetVornDword("Launcher", "StartMode", 2));
    EXPECT_EQ(0, IsStartModeClear()) << "any value but 0 means running";
}

TEST_F(RegistrySettings, ServerRecord) {
    EXPECT_EQ(0, IsServerRecorded()) << "no SelectServer key";
    WriteSelectedServer("tcp.example", "ladder.example", 7000, 7001);
    EXPECT_FALSE(VornKeyExists("SelectServer")) << "the server writes must not create the key";

    ASSERT_TRUE(CreateVornKey("SelectServer"));
    EXPECT_EQ(0, IsServerRecorded()) << "no default value";
    ASSERT_TRUE(SetVornRaw("SelectServer", "", REG_SZ, TextField("", 10).data(), 10));
    EXPECT_EQ(0, IsServerRecorded()) << "empty default value";

    const std::string longest(49, 'a');
    WriteSelectedServer("tcp.example", longest.c_str(), 7000, -1);
    ExpectValues({
        {"SelectServer", "", REG_SZ, TextField("10", 10)},
        {"SelectServer", "TcpDNS", REG_SZ, TextField("tcp.example", 50)},
        {"SelectServer", "LadderDNS", REG_SZ, TextField(longest, 50)},
        {"SelectServer", "TcpPort", REG_DWORD, DwordBytes(7000)},
        {"SelectServer", "LadderPort", REG_DWORD, DwordBytes(0xFFFFFFFFu)},
    });
    EXPECT_EQ(1, IsServerRecorded());
}

TEST_F(RegistrySettings, SocketUpdate) {
    EXPECT_EQ(2, ProbeSocketUpdate()) << "no SocketUpdate key";
    MarkSocketUpdate();
    EXPECT_FALSE(VornKeyExists("SocketUpdate")) << "MarkSocketUpdate must not create the key";

    ASSERT_TRUE(SetVornDword("SocketUpdate", "State", 0));
    MarkSocketUpdate();
    ExpectValues({{"SocketUpdate", "SocketUpdate", REG_DWORD, DwordBytes(1)},
                  {"SocketUpdate", "State", REG_DWORD, DwordBytes(0)}});
    EXPECT_EQ(2, ProbeSocketUpdate()) << "State still 0 after MarkSocketUpdate";
    ASSERT_TRUE(SetVornDword("SocketUpdate", "State", 1));
    EXPECT_EQ(1, ProbeSocketUpdate()) << "State 1";
}

// The stored type is not checked; the size decides. Larger than 4 bytes is unreadable,
// shorter fills the low bytes of a zeroed DWORD.
TEST_F(RegistrySettings, DwordValuesAreJudgedBySize) {
    const unsigned char eight300[8] = {0x2c, 0x01, 0, 0, 0, 0, 0, 0};
    const unsigned char eightOnes[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    const unsigned char four300[4] = {0x2c, 0x01, 0, 0};
    const unsigned char two300[2] = {0x2c, 0x01};
    struct Case {
        const char* what;
        DWORD type;
        const unsigned char* data;
        DWORD size;
        int renderMode;  // ProbeRenderMode
        DWORD launchMode;
        int renderInit;  // IsRenderInitSet
        int startClear;  // IsStartModeClear
        int socket;      // ProbeSocketUpdate
    } cases[] = {
        {"8-byte binary", REG_BINARY, eight300, 8, 0, 77, 0, 1, 2},
        {"8-byte binary, all set", REG_BINARY, eightOnes, 8, 0, 77, 0, 1, 2},
        {"4-byte binary", REG_BINARY, four300, 4, 1, 300, 1, 0, 1},
        {"2-byte binary", REG_BINARY, two300, 2, 1, 300, 1, 0, 1},
    };
    for (const Case& c : cases) {
        ResetVornKey();
        for (const char* name : {"RenderMode", "RenderInit", "StartMode"})
            ASSERT_TRUE(SetVornRaw("Launcher", name, c.type, c.data, c.size));
        ASSERT_TRUE(SetVornRaw("SocketUpdate", "State", c.type, c.data, c.size));
        LaunchRenderMode = 77;
        EXPECT_EQ(c.renderMode, ProbeRenderMode()) << c.what;
        EXPECT_EQ(c.launchMode, LaunchRenderMode) << c.what;
        EXPECT_EQ(c.renderInit, IsRenderInitSet()) << c.what;
        EXPECT_EQ(c.startClear, IsStartModeClear()) << c.what;
        EXPECT_EQ(c.socket, ProbeSocketUpdate()) << c.what;
    }
}
