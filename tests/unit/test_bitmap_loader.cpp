// The file loader and the resource loader, on small BMP fixtures written by the tests.
#include <stdint.h>

#include <string>
#include <vector>

#include "ui/bitmap_loader.h"
#include "unit_support.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (unsigned char)(v >> (8 * i));
}

void Append(Bytes& to, const Bytes& more) {
    const size_t at = to.size();
    to.resize(at + more.size());
    for (size_t i = 0; i < more.size(); ++i) to[at + i] = more[i];
}

size_t Stride(int width, int bits) { return (((size_t)width * bits + 31) / 32) * 4; }

// Information header, colour table and pixels, as a resource holds them.
Bytes InfoBlock(int32_t width, int32_t height, uint16_t bits, uint32_t clrUsed,
                const Bytes& table, const Bytes& pixels) {
    Bytes b(40, 0);
    Put32(b, 0, 40);
    Put32(b, 4, (uint32_t)width);
    Put32(b, 8, (uint32_t)height);
    Put16(b, 12, 1);
    Put16(b, 14, bits);
    Put32(b, 32, clrUsed);
    Append(b, table);
    Append(b, pixels);
    return b;
}

// A file: the 14-byte header before the block. bfSize is the true size unless given.
Bytes BmpFile(const Bytes& block, uint32_t offBits, int64_t fileSize = -1) {
    Bytes f(14, 0);
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 2, fileSize < 0 ? (uint32_t)(14 + block.size()) : (uint32_t)fileSize);
    Put32(f, 10, offBits);
    Append(f, block);
    return f;
}

// Colour table entries i: blue, green, red, reserved (non-zero, must not leak out).
Bytes Table(int entries) {
    Bytes t;
    for (int i = 0; i < entries; ++i) {
        t.push_back((unsigned char)(10 + i * 13));
        t.push_back((unsigned char)(250 - i * 7));
        t.push_back((unsigned char)(3 + i * 29));
        t.push_back(0x5A);
    }
    return t;
}

// Distinct 24-bit pixels in rows padded to four bytes.
Bytes Pixels24(int width, int height) {
    Bytes p(Stride(width, 24) * height, 0xEE);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            p[y * Stride(width, 24) + x] = (unsigned char)(17 + 31 * y + 7 * x);
    return p;
}

// The bitmap's pixels as bottom-up 24-bit rows.
Bytes ReadPixels24(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    Bytes out(Stride(width, 24) * height, 0xAA);
    HDC screen = GetDC(NULL);
    int rows = GetDIBits(screen, bitmap, 0, height, out.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    if (rows != height) out.clear();
    return out;
}

// Compares the pixel bytes (not the row padding) of two bottom-up 24-bit images.
void ExpectSamePixels(const Bytes& expected, const Bytes& got, int width, int height,
                      const std::string& what) {
    ASSERT_EQ(expected.size(), got.size()) << what << ": GetDIBits failed";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x) {
            size_t at = y * Stride(width, 24) + x;
            ASSERT_EQ(expected[at], got[at])
                << what << ": byte " << x << " of row " << y << " expected "
                << (int)expected[at] << ", got " << (int)got[at];
        }
}

void ExpectBitmapSize(HBITMAP bitmap, int width, int height, const std::string& what) {
    BITMAP info = {};
    ASSERT_NE(0, GetObjectA(bitmap, sizeof info, &info)) << what;
    EXPECT_EQ(width, info.bmWidth) << what;
    EXPECT_EQ(height, info.bmHeight) << what;
}

// Palette entries must be the table's red, green and blue with flags 0.
void ExpectPaletteFromTable(HPALETTE palette, const Bytes& table, unsigned entries,
                            const std::string& what) {
    ASSERT_NE((HPALETTE)NULL, palette) << what << ": expected a palette";
    EXPECT_EQ(entries, GetPaletteEntries(palette, 0, 0, NULL)) << what << ": entry count";
    std::vector<PALETTEENTRY> got(entries);
    ASSERT_EQ(entries, GetPaletteEntries(palette, 0, entries, got.data())) << what;
    for (unsigned i = 0; i < entries; ++i) {
        EXPECT_EQ(table[4 * i + 2], got[i].peRed) << what << ": red of entry " << i;
        EXPECT_EQ(table[4 * i + 1], got[i].peGreen) << what << ": green of entry " << i;
        EXPECT_EQ(table[4 * i], got[i].peBlue) << what << ": blue of entry " << i;
        EXPECT_EQ(0, got[i].peFlags) << what << ": flags of entry " << i;
    }
}

// Whether nobody holds the file open: an exclusive open succeeds only then.
bool FileIsClosed(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// Bytes of address space in use (committed or reserved) in this process.
double UsedAddressSpace() {
    double used = 0;
    MEMORY_BASIC_INFORMATION info;
    const char* at = NULL;
    while (VirtualQuery(at, &info, sizeof info) == sizeof info) {
        if (info.State != MEM_FREE) used += (double)info.RegionSize;
        const char* next = (const char*)info.BaseAddress + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return used;
}

// GDI objects of this process, where the system counts them (some report 0 always).
DWORD GdiObjects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }

class BitmapLoaderTest : public VornTest {
protected:
    void TearDown() override {
        ReleaseBitmapFile();
        VornTest::TearDown();
    }
};

TEST_F(BitmapLoaderTest, TrueColourPixelsComeFromRightAfterTheHeader) {
    const int w = 3, h = 2;
    const Bytes pixels = Pixels24(w, h);
    const Bytes block = InfoBlock(w, h, 24, 0, Bytes(), pixels);
    // bfOffBits is not used, whatever it says; bytes beyond bfSize are not read.
    const uint32_t offsets[] = {54, 0, 200, 0xFFFFFFFFu};
    for (uint32_t off : offsets) {
        const std::string what = "bfOffBits " + std::to_string(off);
        Bytes file = BmpFile(block, off);
        file.insert(file.end(), 64, 0x99);  // longer than bfSize: accepted
        ASSERT_TRUE(WriteFileBytes(Path("true.bmp"), file));

        ASSERT_EQ(1, LoadBitmapFile("true.bmp")) << what;
        EXPECT_EQ((HPALETTE)NULL, FileBitmapPalette()) << what << ": no palette expected";
        HBITMAP bitmap = CreateFileBitmap();
        ASSERT_NE((HBITMAP)NULL, bitmap) << what;
        ExpectBitmapSize(bitmap, w, h, what);
        ExpectSamePixels(pixels, ReadPixels24(bitmap, w, h), w, h, what);
        DeleteObject(bitmap);
        ReleaseBitmapFile();
    }
}

TEST_F(BitmapLoaderTest, ColourTableOfTheFileGivesThePaletteAndThePixelStart) {
    // 8 bits with biClrUsed 16: 16 entries, pixels at 40 + 64.
    const int w = 4, h = 2;
    const Bytes table = Table(16);
    Bytes indices = {0, 5, 10, 15, 3, 8, 1, 14};
    const Bytes file8 = BmpFile(InfoBlock(w, h, 8, 16, table, indices), 54 + 64);
    ASSERT_TRUE(WriteFileBytes(Path("pal8.bmp"), file8));
    ASSERT_EQ(1, LoadBitmapFile("pal8.bmp"));
    HPALETTE palette = FileBitmapPalette();
    ExpectPaletteFromTable(palette, table, 16, "8-bit, biClrUsed 16");
    HBITMAP bitmap = CreateFileBitmap();
    ASSERT_NE((HBITMAP)NULL, bitmap);
    Bytes expected(Stride(w, 24) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                expected[y * Stride(w, 24) + 3 * x + c] = table[4 * indices[y * w + x] + c];
    ExpectSamePixels(expected, ReadPixels24(bitmap, w, h), w, h, "8-bit, biClrUsed 16");
    DeleteObject(bitmap);
    ReleaseBitmapFile();
    DeleteObject(palette);

    // 24 bits with biClrUsed 8: an 8-entry palette, pixels after the 8 entries.
    const Bytes table8 = Table(8);
    const Bytes pixels = Pixels24(2, 2);
    ASSERT_TRUE(WriteFileBytes(Path("rgb8.bmp"), BmpFile(InfoBlock(2, 2, 24, 8, table8, pixels), 54)));
    ASSERT_EQ(1, LoadBitmapFile("rgb8.bmp"));
    palette = FileBitmapPalette();
    ExpectPaletteFromTable(palette, table8, 8, "24-bit, biClrUsed 8");
    bitmap = CreateFileBitmap();
    ASSERT_NE((HBITMAP)NULL, bitmap);
    ExpectSamePixels(pixels, ReadPixels24(bitmap, 2, 2), 2, 2, "24-bit, biClrUsed 8");
    DeleteObject(bitmap);
    ReleaseBitmapFile();
    DeleteObject(palette);
}

TEST_F(BitmapLoaderTest, RejectedFilesLeaveNothingLoadedOpenOrAllocated) {
    const Bytes good = InfoBlock(2, 2, 24, 0, Bytes(), Pixels24(2, 2));
    // A block of 4 MB whose header fails the checks: it is read, then refused.
    Bytes bigBad = InfoBlock(-1, 1024, 32, 0, Bytes(), Bytes(4 << 20, 0));
    struct Case {
        const char* what;
        Bytes file;
    } cases[] = {
        {"not BM", BmpFile(good, 54)},
        {"shorter than bfSize", BmpFile(good, 54, 14 + good.size() + 1)},
        {"shorter than a huge bfSize", BmpFile(good, 54, 0xFFFFFFF0u)},
        {"bfSize below the headers", BmpFile(good, 54, 40)},
        {"file header only", Bytes()},
        {"information header too small", BmpFile(InfoBlock(2, 2, 24, 0, Bytes(), Bytes(4)), 54)},
        {"colour table beyond the data", BmpFile(InfoBlock(2, 2, 8, 0, Table(16), Bytes(8)), 54)},
        {"biClrUsed beyond the data", BmpFile(InfoBlock(2, 2, 8, 200, Table(16), Bytes(8)), 54)},
        {"negative width", BmpFile(bigBad, 54)},
        {"huge height", BmpFile(InfoBlock(2, 0x7FFFFFFF, 24, 0, Bytes(), Pixels24(2, 2)), 54)},
        {"run-length compressed", BmpFile(InfoBlock(2, 2, 24, 0, Bytes(), Pixels24(2, 2)), 54)},
    };
    cases[0].file[0] = 'M';
    cases[0].file[1] = 'B';
    const Bytes whole = BmpFile(good, 54);
    cases[4].file = Bytes(whole.begin(), whole.begin() + 13);
    Put32(cases[5].file, 14, 39);
    Put32(cases[10].file, 14 + 16, 1);

    // A good load first: a rejected load must also drop the image loaded before it.
    ASSERT_TRUE(WriteFileBytes(Path("good.bmp"), BmpFile(good, 54)));
    ASSERT_EQ(1, LoadBitmapFile("good.bmp"));

    const double spaceBefore = UsedAddressSpace();
    const DWORD gdiBefore = GdiObjects();
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileBytes(Path("bad.bmp"), c.file)) << c.what;
        const int rounds = 60;
        for (int i = 0; i < rounds; ++i) {
            ASSERT_EQ(0, LoadBitmapFile("bad.bmp")) << c.what << ": expected rejection";
            ASSERT_EQ((HBITMAP)NULL, CreateFileBitmap()) << c.what << ": image still loaded";
            ASSERT_EQ((HPALETTE)NULL, FileBitmapPalette()) << c.what;
            ReleaseBitmapFile();
        }
        EXPECT_TRUE(FileIsClosed(Path("bad.bmp"))) << c.what << ": file left open";
    }
    EXPECT_EQ(0, LoadBitmapFile("missing.bmp")) << "missing file";
    const double spaceAfter = UsedAddressSpace();
    EXPECT_EQ(gdiBefore, GdiObjects()) << "GDI objects before and after the rejected loads";
    // 60 leaked 4 MB blocks alone would take 240 MB of address space.
    EXPECT_LT(spaceAfter - spaceBefore, 64.0 * (1 << 20))
        << "address space in use before " << spaceBefore << " bytes, after " << spaceAfter;

    // Releasing with nothing loaded, and twice, is harmless.
    ReleaseBitmapFile();
    ReleaseBitmapFile();
    ASSERT_EQ(1, LoadBitmapFile("good.bmp")) << "a good file still loads after the rejections";
    ReleaseBitmapFile();
    EXPECT_EQ((HBITMAP)NULL, CreateFileBitmap()) << "nothing to draw after the release";
}

TEST_F(BitmapLoaderTest, MissingResourceLeavesThePalettePlaceAlone) {
    HPALETTE place = (HPALETTE)(UINT_PTR)0x1234;
    EXPECT_EQ((HBITMAP)NULL, LoadResourceBitmap(GetModuleHandleA(NULL), 329, &place));
    EXPECT_EQ((HPALETTE)(UINT_PTR)0x1234, place) << "palette place changed";
}

// Bitmap resources put into a copy of this test program, loaded as a data file.
class ResourceBitmapTest : public BitmapLoaderTest {
protected:
    HMODULE module = NULL;

    bool AddResources(const std::vector<std::pair<int, Bytes>>& resources) {
        char self[MAX_PATH];
        if (!GetModuleFileNameA(NULL, self, sizeof self)) return false;
        const std::string copy = Path("resources.exe");
        if (!CopyFileA(self, copy.c_str(), FALSE)) return false;
        HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
        if (!update) return false;
        for (const auto& r : resources) {
            if (!UpdateResourceA(update, (LPCSTR)RT_BITMAP, MAKEINTRESOURCEA(r.first),
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                 (void*)r.second.data(), (DWORD)r.second.size())) {
                EndUpdateResourceA(update, TRUE);
                return false;
            }
        }
        if (!EndUpdateResourceA(update, FALSE)) return false;
        module = LoadLibraryExA(copy.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        return module != NULL;
    }

    void TearDown() override {
        if (module) FreeLibrary(module);
        BitmapLoaderTest::TearDown();
    }
};

TEST_F(ResourceBitmapTest, CountsTheFullTableAndChecksTheBlock) {
    const Bytes button = Pixels24(192, 45);
    const Bytes table256 = Table(256);
    const Bytes indices = {0, 7, 15, 2, 9, 4, 11, 1};
    ASSERT_TRUE(AddResources({
        {329, InfoBlock(192, 45, 24, 0, Bytes(), button)},
        // biClrUsed 16 is not consulted: 256 entries, pixels at 40 + 1024.
        {330, InfoBlock(4, 2, 8, 16, table256, indices)},
        // The same image laid out as a file would be: its table is too short.
        {331, InfoBlock(4, 2, 8, 16, Table(16), indices)},
        {332, InfoBlock(192, 45, 24, 0, Bytes(), Bytes(button.begin(), button.end() - 1))},
    })) << "could not make the resource fixture";

    HPALETTE place = (HPALETTE)(UINT_PTR)0x1234;
    HBITMAP bitmap = LoadResourceBitmap(module, 329, &place);
    ASSERT_NE((HBITMAP)NULL, bitmap) << "24-bit button image";
    EXPECT_EQ((HPALETTE)NULL, place) << "a 24-bit image has no palette";
    ExpectBitmapSize(bitmap, 192, 45, "24-bit button image");
    ExpectSamePixels(button, ReadPixels24(bitmap, 192, 45), 192, 45, "24-bit button image");
    DeleteObject(bitmap);

    bitmap = LoadResourceBitmap(module, 330, &place);
    ASSERT_NE((HBITMAP)NULL, bitmap) << "8-bit image with a full table";
    ExpectPaletteFromTable(place, table256, 256, "8-bit resource");
    Bytes expected(Stride(4, 24) * 2, 0);
    for (int i = 0; i < 8; ++i)
        for (int c = 0; c < 3; ++c) expected[(i / 4) * Stride(4, 24) + 3 * (i % 4) + c] =
            table256[4 * indices[i] + c];
    ExpectSamePixels(expected, ReadPixels24(bitmap, 4, 2), 4, 2, "8-bit resource");
    DeleteObject(bitmap);
    DeleteObject(place);

    const DWORD gdiBefore = GdiObjects();
    for (int id : {331, 332}) {
        place = (HPALETTE)(UINT_PTR)0x1234;
        EXPECT_EQ((HBITMAP)NULL, LoadResourceBitmap(module, id, &place))
            << "resource " << id << " does not hold what its header claims";
        EXPECT_EQ((HPALETTE)(UINT_PTR)0x1234, place) << "resource " << id;
    }
    EXPECT_EQ(gdiBefore, GdiObjects()) << "GDI objects after the refused resources";
}

}  // namespace
