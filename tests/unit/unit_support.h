// Shared ground for the unit tests: a clean HKCU\SOFTWARE\VornKT and a private
// temporary folder that is the current directory while a test runs.
#ifndef VORN_UNIT_SUPPORT_H
#define VORN_UNIT_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

// Deletes HKCU\SOFTWARE\VornKT with everything below it.
void ResetVornKey();

// A new empty folder below the temporary folder; full path without trailing backslash.
std::string MakeTempFolder(const char* tag);
void RemoveFolderTree(const std::string& path);

bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool WriteFileText(const std::string& path, const std::string& text);
std::vector<unsigned char> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

// Raw registry access below HKCU\SOFTWARE\VornKT\<key>.
struct RegValue {
    bool present = false;
    DWORD type = 0;
    std::vector<unsigned char> data;
};
RegValue ReadVornValue(const char* key, const char* name);
bool VornKeyExists(const char* key);
bool CreateVornKey(const char* key);
bool DeleteVornKey(const char* key);  // the key and everything below it
bool SetVornDword(const char* key, const char* name, DWORD value);
bool SetVornRaw(const char* key, const char* name, DWORD type, const void* data, DWORD size);
bool DeleteVornValue(const char* key, const char* name);

// Every test that touches the registry or the current directory derives from this.
class VornTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string folder;  // the test's own folder, also the current directory
    std::string Path(const std::string& relative) const { return folder + "\\" + relative; }

private:
    char previousDirectory[MAX_PATH] = {0};
};

#endif
