// Shared helpers of the stand-in programs: each run appends one block of
// key=value lines, closed by an empty line, to "<program>.rec" in the folder
// named by VORN_RECORD_DIR (or the program's own folder when it is unset).
#ifndef VORN_STANDIN_RECORD_H
#define VORN_STANDIN_RECORD_H

#include <windows.h>

// Starts a new block with the common keys: program, module, command_line,
// arguments, current_dir, pid. `module` is the exe or DLL whose name the
// record file takes (NULL for the exe).
void BeginRecord(HMODULE module);
void RecordText(const char* key, const char* value);
void RecordNumber(const char* key, long long value);
void RecordHex32(const char* key, unsigned long value);
// Appends the block to the record file. Returns 1 when it was written.
int WriteRecord();

// The folder records go to, without a trailing backslash.
void GetRecordDir(char* out, DWORD size);
// The folder of the given module (NULL for the exe), without a trailing backslash.
void GetModuleDir(HMODULE module, char* out, DWORD size);
// The command line behind the program name (quoted or not), leading blanks skipped.
const char* CommandArguments();
// 1 when VORN_STANDIN_QUIET is set: no message boxes or windows for a person.
int IsQuiet();
// Reads an environment variable into out; 0 when it is unset (out is then "").
int ReadEnv(const char* name, char* out, DWORD size);

#endif
