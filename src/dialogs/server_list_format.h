// The ServerList.dat text format. Standard C only: tested in tables, fuzzed natively.
#ifndef VORN_SERVER_LIST_FORMAT_H
#define VORN_SERVER_LIST_FORMAT_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

enum {
    kServerListCapacity = 20,
    kDisplayNameSize = 30,
    kAddressSize = 50,
    kServerLineSize = 256  // a line of at most 255 characters, read in pieces beyond
};

struct ServerEntry {
    char displayName[kDisplayNameSize];
    char tcpAddress[kAddressSize];
    char ladderAddress[kAddressSize];
    int32_t tcpPort;
    int32_t ladderPort;
};

struct ServerListTable {
    ServerEntry entries[kServerListCapacity];
    int32_t count;  // entries 0..count-1 were read from the file
};

// Reads an open text stream into table (count and entries). The caller has reset the
// table; fields the file does not set keep their values.
void ReadServerList(FILE* stream, ServerListTable* table);

// The same over bytes in memory, as a text-mode stream would deliver them.
void ReadServerListBytes(const char* data, size_t size, ServerListTable* table);

#endif
