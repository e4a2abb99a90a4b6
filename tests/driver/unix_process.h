// The Unix process behind a Windows program under Wine, read from the /proc
// tree through Wine's Z: drive: the Windows calls for another process's times
// and memory answer nothing useful there. Header only, so that the benchmark
// probe, which is built on its own, shares it with the tests.
#pragma once

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace unix_process {

inline std::string ReadProcFile(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, got);
    fclose(file);
    return text;
}

// The Windows program that a Unix command line (NUL-separated arguments) runs.
// Wine shows the program's Windows path as argv[0]. Where the 32-bit loader
// runs under an emulator, the emulator's and the loader's Unix paths come
// first and the Windows path follows them.
inline std::string WindowsProgramOf(const std::string& commandLine)
{
    size_t at = 0;
    while (at < commandLine.size()) {
        size_t end = commandLine.find('\0', at);
        if (end == std::string::npos)
            end = commandLine.size();
        if (commandLine[at] != '/')
            return commandLine.substr(at, end - at);
        at = end + 1;
    }
    return "";
}

// The WINEPREFIX a Unix process runs in ("" for the default one). Two
// prefixes can run programs of the same Windows path side by side.
inline std::string PrefixOf(const std::string& procFolder)
{
    static const char kName[] = "WINEPREFIX=";
    const std::string environment = ReadProcFile(procFolder + "\\environ");
    for (size_t at = 0; at < environment.size();) {
        size_t end = environment.find('\0', at);
        if (end == std::string::npos)
            end = environment.size();
        if (environment.compare(at, sizeof(kName) - 1, kName) == 0)
            return environment.substr(at + sizeof(kName) - 1, end - at - (sizeof(kName) - 1));
        at = end + 1;
    }
    return "";
}

// "Z:\proc\<pid>" of the Unix process of this Wine prefix that runs
// `exePath`, or "" when none does.
inline std::string ProcFolderOf(const std::string& exePath)
{
    const char* prefix = getenv("WINEPREFIX");
    const std::string ownPrefix = prefix ? prefix : "";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return "";
    std::string found;
    do {
        if (data.cFileName[0] < '1' || data.cFileName[0] > '9')
            continue;
        std::string folder = std::string("Z:\\proc\\") + data.cFileName;
        std::string program = WindowsProgramOf(ReadProcFile(folder + "\\cmdline"));
        if (!program.empty() && _stricmp(program.c_str(), exePath.c_str()) == 0 &&
            PrefixOf(folder) == ownPrefix) {
            found = folder;
            break;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

// Clock ticks (user + system) the process has used; -1 when it cannot be read.
inline long long CpuTicks(const std::string& procFolder)
{
    if (procFolder.empty())
        return -1;
    std::string text = ReadProcFile(procFolder + "\\stat");
    size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    // Fields after the name: state is field 3; utime and stime are 14 and 15.
    unsigned long long utime = 0, stime = 0;
    if (sscanf(text.c_str() + close + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
               &utime, &stime) != 2)
        return -1;
    return (long long)(utime + stime);
}

}  // namespace unix_process
