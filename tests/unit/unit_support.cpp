#include "unit_support.h"

#include <stdio.h>

namespace {

const char kVornRoot[] = "SOFTWARE\\VornKT";

std::string VornPath(const char* key) {
    std::string path = kVornRoot;
    if (key && *key) {
        path += "\\";
        path += key;
    }
    return path;
}

LONG DeleteTree(HKEY parent, const char* name) {
    HKEY key;
    LONG rc = RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key);
    if (rc != ERROR_SUCCESS) return rc;
    char child[256];
    for (;;) {
        DWORD length = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        if (DeleteTree(key, child) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name);
}

}  // namespace

void ResetVornKey() { DeleteTree(HKEY_CURRENT_USER, kVornRoot); }

std::string MakeTempFolder(const char* tag) {
    char base[MAX_PATH];
    DWORD n = GetTempPathA(sizeof base, base);
    if (n == 0 || n >= sizeof base) return std::string();
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%svorn_%s_%lu_%u", base, tag,
                 (unsigned long)GetCurrentProcessId(), attempt);
        if (CreateDirectoryA(name, NULL)) return name;
    }
    return std::string();
}

void RemoveFolderTree(const std::string& path) {
    if (path.empty()) return;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WriteFileText(const std::string& path, const std::string& text) {
    return WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    unsigned char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(f);
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

RegValue ReadVornValue(const char* key, const char* name) {
    RegValue value;
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, VornPath(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(h, name, NULL, &value.type, NULL, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExA(h, name, NULL, &value.type, size ? value.data.data() : NULL,
                             &size) == ERROR_SUCCESS) {
            value.data.resize(size);
            value.present = true;
        }
    }
    RegCloseKey(h);
    return value;
}

bool VornKeyExists(const char* key) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, VornPath(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

bool CreateVornKey(const char* key) {
    HKEY h;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, VornPath(key).c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                        NULL, &h, NULL) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

bool DeleteVornKey(const char* key) {
    return DeleteTree(HKEY_CURRENT_USER, VornPath(key).c_str()) == ERROR_SUCCESS;
}

bool SetVornRaw(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY h;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, VornPath(key).c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                        NULL, &h, NULL) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size) ==
              ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

bool SetVornDword(const char* key, const char* name, DWORD value) {
    return SetVornRaw(key, name, REG_DWORD, &value, sizeof value);
}

bool DeleteVornValue(const char* key, const char* name) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, VornPath(key).c_str(), 0, KEY_ALL_ACCESS, &h) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegDeleteValueA(h, name) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

void VornTest::SetUp() {
    ResetVornKey();
    GetCurrentDirectoryA(sizeof previousDirectory, previousDirectory);
    folder = MakeTempFolder("unit");
    ASSERT_FALSE(folder.empty()) << "could not make a temporary folder";
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str())) << "cannot enter " << folder;
}

void VornTest::TearDown() {
    SetCurrentDirectoryA(previousDirectory);
    RemoveFolderTree(folder);
    ResetVornKey();
}
