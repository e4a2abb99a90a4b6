// Reading ServerList.dat: the entry count, then five keyword lines per entry.
//
// One reader serves both a text-mode stream and bytes in memory. It takes characters
// one at a time from a source that delivers them as a text-mode stream does (CR LF
// as LF, Ctrl-Z as the end), so both give the same table for the same bytes.
#include "dialogs/server_list_format.h"

#include <string.h>

namespace {

const int kEnd = -1;          // no more characters
const int kCtrlZ = 0x1A;      // a text-mode stream ends here
const int kMaxLine = kServerLineSize - 1;  // characters of one line piece

// ---------------------------------------------------------------------------
// Character sources

struct CharSource {
    int (*next)(void* context);  // next character 0..255, or kEnd
    void* context;
    int pending;                 // a character given back, or kEnd
};

int NextFromStream(void* context) {
    int c = fgetc((FILE*)context);
    return c == EOF ? kEnd : c;
}

struct ByteCursor {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

int NextFromBytes(void* context) {
    ByteCursor* cursor = (ByteCursor*)context;
    if (cursor->pos >= cursor->size) return kEnd;
    int c = cursor->data[cursor->pos++];
    if (c == kCtrlZ) {
        cursor->pos = cursor->size;
        return kEnd;
    }
    if (c == '\r' && cursor->pos < cursor->size && cursor->data[cursor->pos] == '\n') {
        ++cursor->pos;
        return '\n';
    }
    return c;
}

int Take(CharSource* source) {
    if (source->pending != kEnd) {
        int c = source->pending;
        source->pending = kEnd;
        return c;
    }
    return source->next(source->context);
}

void GiveBack(CharSource* source, int c) { source->pending = c; }

// White space as the C library's isspace sees it in the "C" locale.
int IsBlank(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int IsDigit(int c) { return c >= '0' && c <= '9'; }

// ---------------------------------------------------------------------------
// The count: "%d\n". White space, an optional sign, digits (wrapping in 32 bits as
// the C library does), then every following white-space character. Returns 0 when
// no digits stand there; the sign is used up all the same.

int ReadCount(CharSource* source, int32_t* count) {
    int c = Take(source);
    while (c != kEnd && IsBlank(c)) c = Take(source);
    int negative = 0;
    if (c == '+' || c == '-') {
        negative = (c == '-');
        c = Take(source);
    }
    if (c == kEnd || !IsDigit(c)) {
        if (c != kEnd) GiveBack(source, c);
        return 0;
    }
    uint32_t value = 0;
    while (c != kEnd && IsDigit(c)) {
        value = value * 10u + (uint32_t)(c - '0');
        c = Take(source);
    }
    while (c != kEnd && IsBlank(c)) c = Take(source);
    if (c != kEnd) GiveBack(source, c);
    if (negative) value = 0u - value;
    *count = (int32_t)value;  // two's complement, as the C library stores it
    return 1;
}

// One line as fgets reads it into a 256-byte buffer: up to 255 characters, the line
// end included when it fits. Returns 0 at the end of the text (no line).
int ReadLine(CharSource* source, char line[kServerLineSize]) {
    int length = 0;
    while (length < kMaxLine) {
        int c = Take(source);
        if (c == kEnd) break;
        line[length++] = (char)c;
        if (c == '\n') break;
    }
    line[length] = '\0';
    return length > 0;
}

int IsTokenDelimiter(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The value of a keyword line: NULL when the first token is not the keyword or no
// value follows it. The returned text ends at the line end; line is changed.
char* KeywordValue(char* line, const char* keyword) {
    char* p = line;
    while (*p != '\0' && IsTokenDelimiter(*p)) ++p;
    if (*p == '\0') return NULL;  // no token at all
    char* token = p;
    while (*p != '\0' && !IsTokenDelimiter(*p)) ++p;
    // p is at the one separator that ended the token, or at the text's end.
    if (*p == '\0') return NULL;
    *p++ = '\0';
    if (strcmp(token, keyword) != 0) return NULL;
    while (*p == '\n') ++p;
    if (*p == '\0') return NULL;
    char* value = p;
    while (*p != '\0' && *p != '\n') ++p;
    *p = '\0';
    return value;
}

// The text cut to fit its field, terminated, the rest of the field cleared.
void CopyField(char* field, size_t fieldSize, const char* value) {
    size_t length = strlen(value);
    if (length > fieldSize - 1) length = fieldSize - 1;
    memset(field, 0, fieldSize);
    memcpy(field, value, length);
}

// Decimal conversion as atoi does it: white space, optional sign, digits up to the
// first other character; no digits give 0. Values beyond 32 bits stop at the limit.
int32_t PortValue(const char* text) {
    while (IsBlank((unsigned char)*text)) ++text;
    int negative = 0;
    if (*text == '+' || *text == '-') {
        negative = (*text == '-');
        ++text;
    }
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t value = 0;
    while (IsDigit((unsigned char)*text)) {
        value = value * 10 + (*text - '0');
        if (value > limit) value = limit;
        ++text;
    }
    return (int32_t)(negative ? -value : value);
}

enum FieldKind { kTextField, kPortField };

struct Position {
    const char* keyword;
    FieldKind kind;
};

// The five lines of one entry, in file order.
const Position kPositions[] = {
    {"#DNS", kTextField},
    {"#TCPIP", kTextField},
    {"#TCPPORT", kPortField},
    {"#LADDERIP", kTextField},
    {"#LADDERPORT", kPortField},
};

void SetField(ServerEntry* entry, int position, const char* value) {
    switch (position) {
    case 0: CopyField(entry->displayName, sizeof entry->displayName, value); break;
    case 1: CopyField(entry->tcpAddress, sizeof entry->tcpAddress, value); break;
    case 2: entry->tcpPort = PortValue(value); break;
    case 3: CopyField(entry->ladderAddress, sizeof entry->ladderAddress, value); break;
    case 4: entry->ladderPort = PortValue(value); break;
    default: break;
    }
}

void ReadTable(CharSource* source, ServerListTable* table) {
    int32_t count = table->count;
    ReadCount(source, &count);
    // The table holds 20 entries: a larger count fills those, a negative one none.
    if (count > kServerListCapacity) count = kServerListCapacity;
    if (count < 0) count = 0;
    table->count = count;

    char line[kServerLineSize];
    const int positions = (int)(sizeof kPositions / sizeof kPositions[0]);
    for (int32_t i = 0; i < count; ++i) {
        for (int position = 0; position < positions; ++position) {
            // No resynchronisation: a rejected line still uses up its position.
            if (!ReadLine(source, line)) continue;
            const char* value = KeywordValue(line, kPositions[position].keyword);
            if (value) SetField(&table->entries[i], position, value);
        }
    }
}

}  // namespace

void ReadServerList(FILE* stream, ServerListTable* table) {
    CharSource source = {NextFromStream, stream, kEnd};
    ReadTable(&source, table);
}

void ReadServerListBytes(const char* data, size_t size, ServerListTable* table) {
    ByteCursor cursor = {(const unsigned char*)data, size, 0};
    CharSource source = {NextFromBytes, &cursor, kEnd};
    ReadTable(&source, table);
}
