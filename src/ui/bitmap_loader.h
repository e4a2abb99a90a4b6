// Device-independent bitmaps from a file and from the program's resources.
#ifndef VORN_BITMAP_LOADER_H
#define VORN_BITMAP_LOADER_H

#include <windows.h>

// Reads a BMP file (path relative to the current directory) into the one file image.
// 1 loaded, 0 rejected (nothing stays allocated).
int LoadBitmapFile(const char* relativePath);

// A screen-compatible bitmap of the loaded file image; the caller deletes it.
HBITMAP CreateFileBitmap();

// The palette made for the loaded file image, or NULL. Not deleted by ReleaseBitmapFile.
HPALETTE FileBitmapPalette();

// Frees the file image's data and palette description.
void ReleaseBitmapFile();

// A bitmap resource by number; writes its palette (or NULL) into *palette when the
// resource exists. NULL when it does not; *palette then keeps its value.
HBITMAP LoadResourceBitmap(HINSTANCE module, int resourceId, HPALETTE* palette);

#endif
