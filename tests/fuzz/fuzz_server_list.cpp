// The input is a whole ServerList.dat. Whatever it holds, the reader must stay inside
// the table and inside every field, and leave every text field terminated.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "dialogs/server_list_format.h"

namespace {

const unsigned char kCanary = 0xA5;

struct GuardedTable {
    unsigned char before[64];
    ServerListTable table;
    unsigned char after[64];
};

void CheckCanaries(const unsigned char* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != kCanary) abort();
}

void CheckTerminated(const char* field, size_t size) {
    if (memchr(field, '\0', size) == NULL) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GuardedTable guarded;
    memset(&guarded, kCanary, sizeof guarded);
    memset(&guarded.table, 0, sizeof guarded.table);

    // A copy of exactly the input's length, so an overread hits the sanitizer.
    char* copy = (char*)malloc(size ? size : 1);
    if (!copy) return 0;
    if (size) memcpy(copy, data, size);
    ReadServerListBytes(copy, size, &guarded.table);
    free(copy);

    CheckCanaries(guarded.before, sizeof guarded.before);
    CheckCanaries(guarded.after, sizeof guarded.after);
    const ServerListTable& table = guarded.table;
    if (table.count < 0 || table.count > kServerListCapacity) abort();
    for (int i = 0; i < kServerListCapacity; ++i) {
        const ServerEntry& e = table.entries[i];
        CheckTerminated(e.displayName, sizeof e.displayName);
        CheckTerminated(e.tcpAddress, sizeof e.tcpAddress);
        CheckTerminated(e.ladderAddress, sizeof e.ladderAddress);
    }
    return 0;
}
