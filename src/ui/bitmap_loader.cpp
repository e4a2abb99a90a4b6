// Bitmaps from a BMP file (the background picture) and from the program's bitmap
// resources (the button images), each with a logical palette when it has a colour
// table. Every block is checked before use: nothing is read past what was loaded.
#include "ui/bitmap_loader.h"

#include "ui/bitmap_header.h"

namespace {

const UINT kGlobalFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;
const WORD kPaletteVersion = 0x300;
const DWORD kPathSize = MAX_PATH;  // terminator included

// The one file image.
HGLOBAL fileData = NULL;
unsigned char* fileBytes = NULL;
DWORD fileDataSize = 0;
unsigned char fileHeader[kBmpFileHeaderSize];
uint16_t fileColourCount = 0;
size_t filePixelOffset = 0;
HGLOBAL filePaletteData = NULL;
LOGPALETTE* filePaletteDescription = NULL;
HPALETTE filePalette = NULL;

// palVersion, palNumEntries and then the entries: count * 4 + 8 bytes of block, as
// the file image keeps it (one spare entry's room beyond what the record needs).
SIZE_T PaletteBlockSize(uint16_t count) { return (SIZE_T)count * 4 + 8; }

// Fills the palette description from the colour table at offset 40 of the block.
void FillPalette(LOGPALETTE* description, const unsigned char* block, uint16_t count) {
    description->palVersion = kPaletteVersion;
    description->palNumEntries = count;
    const unsigned char* table = block + kBmpInfoHeaderSize;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned char* quad = table + 4 * i;
        description->palPalEntry[i].peBlue = quad[0];
        description->palPalEntry[i].peGreen = quad[1];
        description->palPalEntry[i].peRed = quad[2];
        description->palPalEntry[i].peFlags = 0;
    }
}

void FreeLockedBlock(HGLOBAL* block) {
    if (*block) {
        GlobalUnlock(*block);
        GlobalFree(*block);
        *block = NULL;
    }
}

// The palette of the loaded file image, fileColourCount entries: 1 when there is none
// to make or it was made.
int BuildFilePalette() {
    if (fileColourCount == 0) return 1;

    filePaletteData = GlobalAlloc(kGlobalFlags, PaletteBlockSize(fileColourCount));
    if (!filePaletteData) return 0;
    filePaletteDescription = (LOGPALETTE*)GlobalLock(filePaletteData);
    if (!filePaletteDescription) {
        GlobalFree(filePaletteData);
        filePaletteData = NULL;
        return 0;
    }
    FillPalette(filePaletteDescription, fileBytes, fileColourCount);
    filePalette = CreatePalette(filePaletteDescription);
    if (!filePalette) {
        FreeLockedBlock(&filePaletteData);
        filePaletteDescription = NULL;
        return 0;
    }
    return 1;
}

// Makes a bitmap of the checked block through the screen context, with the palette
// selected and realised there when there is one.
HBITMAP CreateCheckedBitmap(const unsigned char* block, size_t pixelOffset,
                            HPALETTE palette) {
    HDC screen = GetDC(NULL);
    if (!screen) return NULL;
    HPALETTE previous = NULL;
    if (palette) {
        previous = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
    }
    HBITMAP bitmap = CreateDIBitmap(screen, (const BITMAPINFOHEADER*)block, CBM_INIT,
                                    block + pixelOffset, (const BITMAPINFO*)block,
                                    DIB_RGB_COLORS);
    if (palette && previous) SelectPalette(screen, previous, FALSE);
    ReleaseDC(NULL, screen);
    return bitmap;
}

}  // namespace

int LoadBitmapFile(const char* relativePath) {
    // One image at a time: a new load replaces the old one. The old palette belongs
    // to whoever took it.
    ReleaseBitmapFile();
    filePalette = NULL;
    fileColourCount = 0;
    if (!relativePath) return 0;

    char fullPath[kPathSize];
    DWORD length = GetFullPathNameA(relativePath, kPathSize, fullPath, NULL);
    if (length == 0 || length >= kPathSize) return 0;

    HANDLE file = CreateFileA(fullPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 0;

    DWORD got = 0;
    uint32_t dataSize = 0;
    if (!ReadFile(file, fileHeader, kBmpFileHeaderSize, &got, NULL) ||
        got != kBmpFileHeaderSize || !CheckBitmapFileHeader(fileHeader, &dataSize)) {
        CloseHandle(file);
        return 0;
    }
    // A file shorter than its header claims is refused before its block is made.
    DWORD highSize = 0;
    DWORD lowSize = GetFileSize(file, &highSize);
    if (lowSize != INVALID_FILE_SIZE && highSize == 0 &&
        (uint64_t)lowSize < (uint64_t)dataSize + kBmpFileHeaderSize) {
        CloseHandle(file);
        return 0;
    }

    fileData = GlobalAlloc(kGlobalFlags, dataSize);
    if (!fileData) {
        CloseHandle(file);
        return 0;
    }
    fileBytes = (unsigned char*)GlobalLock(fileData);
    got = 0;
    if (!fileBytes || !ReadFile(file, fileBytes, dataSize, &got, NULL) || got != dataSize) {
        FreeLockedBlock(&fileData);
        fileBytes = NULL;
        CloseHandle(file);
        return 0;
    }
    fileDataSize = dataSize;

    fileColourCount = FileColourCount(BlockClrUsed(fileBytes, fileDataSize),
                                      BlockBitCount(fileBytes, fileDataSize));
    if (!CheckBitmapBlock(fileBytes, fileDataSize, fileColourCount, &filePixelOffset)) {
        FreeLockedBlock(&fileData);
        fileBytes = NULL;
        fileDataSize = 0;
        fileColourCount = 0;
        CloseHandle(file);
        return 0;
    }

    BuildFilePalette();  // without a palette the image still loads
    CloseHandle(file);
    return 1;
}

HBITMAP CreateFileBitmap() {
    if (!fileBytes) return NULL;
    return CreateCheckedBitmap(fileBytes, filePixelOffset, filePalette);
}

HPALETTE FileBitmapPalette() { return filePalette; }

void ReleaseBitmapFile() {
    FreeLockedBlock(&fileData);
    fileBytes = NULL;
    fileDataSize = 0;
    FreeLockedBlock(&filePaletteData);
    filePaletteDescription = NULL;
}

HBITMAP LoadResourceBitmap(HINSTANCE module, int resourceId, HPALETTE* palette) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), (LPCSTR)RT_BITMAP);
    if (!found) return NULL;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return NULL;
    const unsigned char* block = (const unsigned char*)LockResource(loaded);
    const size_t size = SizeofResource(module, found);
    const uint16_t count = ResourceColourCount(BlockBitCount(block, size));
    size_t pixelOffset = 0;
    if (!block || !CheckBitmapBlock(block, size, count, &pixelOffset)) {
        FreeResource(loaded);
        return NULL;
    }

    // The description is needed only while the palette is made.
    HPALETTE made = NULL;
    if (count != 0) {
        HGLOBAL description = GlobalAlloc(kGlobalFlags, PaletteBlockSize(count));
        if (description) {
            LOGPALETTE* record = (LOGPALETTE*)GlobalLock(description);
            if (record) {
                FillPalette(record, block, count);
                made = CreatePalette(record);
                GlobalUnlock(description);
            }
            GlobalFree(description);
        }
    }

    HBITMAP bitmap = CreateCheckedBitmap(block, pixelOffset, made);
    if (!bitmap && made) {
        // Without a bitmap nobody would delete the palette.
        DeleteObject(made);
        made = NULL;
    }
    if (palette) *palette = made;
    FreeResource(loaded);
    return bitmap;
}
