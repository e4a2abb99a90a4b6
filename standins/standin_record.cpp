#include "standin_record.h"

#include <stdio.h>
#include <string.h>

static char g_block[65536];
static size_t g_used;
static char g_recordName[MAX_PATH];

static void AppendRaw(const char* text)
{
    size_t len = strlen(text);
    if (g_used + len >= sizeof(g_block))
        len = sizeof(g_block) - 1 - g_used;
    memcpy(g_block + g_used, text, len);
    g_used += len;
    g_block[g_used] = '\0';
}

int ReadEnv(const char* name, char* out, DWORD size)
{
    out[0] = '\0';
    SetLastError(ERROR_SUCCESS);
    DWORD got = GetEnvironmentVariableA(name, out, size);
    if (got >= size) {
        // Longer than any value the stand-ins take: treated as unset.
        out[0] = '\0';
        return 0;
    }
    if (got == 0)
        return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? 0 : 1;
    return 1;
}

int IsQuiet()
{
    char value[16];
    return ReadEnv("VORN_STANDIN_QUIET", value, sizeof(value));
}

void GetModuleDir(HMODULE module, char* out, DWORD size)
{
    DWORD len = GetModuleFileNameA(module, out, size);
    if (len == 0 || len >= size) {
        out[0] = '\0';
        return;
    }
    char* slash = strrchr(out, '\\');
    if (slash != NULL)
        *slash = '\0';
}

void GetRecordDir(char* out, DWORD size)
{
    if (ReadEnv("VORN_RECORD_DIR", out, size) && out[0] != '\0') {
        size_t len = strlen(out);
        while (len > 0 && (out[len - 1] == '\\' || out[len - 1] == '/'))
            out[--len] = '\0';
        return;
    }
    GetModuleDir(NULL, out, size);
}

const char* CommandArguments()
{
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

void RecordText(const char* key, const char* value)
{
    AppendRaw(key);
    AppendRaw("=");
    // A value stays on its line: line ends inside it are shown as \r and \n.
    char piece[2] = {0, 0};
    for (const char* p = value; *p != '\0'; ++p) {
        if (*p == '\r')
            AppendRaw("\\r");
        else if (*p == '\n')
            AppendRaw("\\n");
        else {
            piece[0] = *p;
            AppendRaw(piece);
        }
    }
    AppendRaw("\r\n");
}

void RecordNumber(const char* key, long long value)
{
    char text[32];
    snprintf(text, sizeof(text), "%lld", value);
    RecordText(key, text);
}

void RecordHex32(const char* key, unsigned long value)
{
    char text[16];
    snprintf(text, sizeof(text), "0x%08lx", value);
    RecordText(key, text);
}

void BeginRecord(HMODULE module)
{
    g_used = 0;
    g_block[0] = '\0';

    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(module, path, sizeof(path));
    if (len == 0 || len >= sizeof(path))
        strcpy(path, "unknown");
    const char* slash = strrchr(path, '\\');
    const char* name = slash != NULL ? slash + 1 : path;

    snprintf(g_recordName, sizeof(g_recordName), "%s", name);
    char* dot = strrchr(g_recordName, '.');
    if (dot != NULL)
        *dot = '\0';

    char dir[MAX_PATH];
    DWORD dirLen = GetCurrentDirectoryA(sizeof(dir), dir);
    if (dirLen == 0 || dirLen >= sizeof(dir))
        dir[0] = '\0';

    RecordText("program", name);
    RecordText("module", path);
    RecordText("command_line", GetCommandLineA());
    RecordText("arguments", CommandArguments());
    RecordText("current_dir", dir);
    RecordNumber("pid", (long long)GetCurrentProcessId());
}

int WriteRecord()
{
    char dir[MAX_PATH];
    GetRecordDir(dir, sizeof(dir));
    char file[MAX_PATH + 64];
    snprintf(file, sizeof(file), "%s\\%s.rec", dir, g_recordName);

    AppendRaw("\r\n");
    HANDLE h = CreateFileA(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(h, g_block, (DWORD)g_used, &written, NULL);
    CloseHandle(h);
    return ok && written == g_used ? 1 : 0;
}
