// The Unix process behind a Windows program under Wine, read from the /proc
// tree through Wine's Z: drive: the Windows calls for another process's times
// and memory answer nothing useful there. Header only, so that the benchmark
// probe, which is built on its own, shares it with the tests.
#pragma once

#include <windows.h>

#include <stdio.h>
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

// "Z:\proc\<pid>" of the Unix process that runs `exePath`, or "" when none does.
inline std::string ProcFolderOf(const std::string& exePath)
{
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
        if (!program.empty() && _stricmp(program.c_str(), exePath.c_str()) == 0) {
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
