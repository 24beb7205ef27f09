// The process-wide field tables that sentences are cut into, the flags that
// tie the sentences of one output cycle together, and the comma splitter.
#pragma once

#include <windows.h>

constexpr int FIELD_CHARS = 48; // 47 characters and the terminator

template <int N> struct FieldTable {
    static constexpr int kCount = N;
    WCHAR f[N][FIELD_CHARS];
    WCHAR* operator[](int i) { return f[i]; }
    const WCHAR* operator[](int i) const { return f[i]; }
};

constexpr int RMC_FIELDS = 13;
constexpr int GSA_FIELDS = 19;
constexpr int GSV_FIELDS = 21;

struct FieldStore {
    BOOL bRepaintPending; // a sentence group is complete: repaint after this line
    BOOL bInViewCleared;  // in-view marks already cleared in this GSV group
    BOOL bUsedCleared;    // used marks already cleared in this GSA group
    FieldTable<GSV_FIELDS> GsvFields;
    FieldTable<GSA_FIELDS> GsaFields;
    FILETIME ftUtc;   // last RMC date and time, UTC
    FILETIME ftLocal; // the same as local time
    FieldTable<RMC_FIELDS> RmcFields;
};

extern FieldStore g_FieldStore;

enum SplitMode { SPLIT_COUNTED, SPLIT_GSV };

// Cuts a received line into the fields of a table (field 0 is the address
// field); returns the index of the last field written.
//
// Counted mode (RMC, GSA): a field ends at ',', '*' or CR. After a field that
// ended at ',' or '*' the split ends when the next character is '*' or CR, or
// when `count` fields have been written; a field that ended at CR ends it too,
// since only the line end can follow. So a sentence whose last data field is
// not empty gets its checksum digits as one more field while the count allows.
//
// GSV mode: a field ends at ',', '*' or CR; the split runs until a field ends
// at CR, so the checksum digits always become the last field. Fields past the
// table's `count` are dropped.
//
// Both modes stop at the end of the text, whatever the line holds; the field
// cut off there ends with the text. Fields longer than 47 characters are cut.
// Fields the split does not reach keep their earlier text.
//
// `pDataFields`, when given, receives the number of fields of this sentence
// that hold data: the fields written before the checksum field (the field
// that follows a '*'). Fields from that index on must be taken as empty.
int SplitFields(LPCWSTR line, WCHAR (*fields)[FIELD_CHARS], int count, SplitMode mode,
                int* pDataFields = nullptr);

template <int N>
int SplitFields(LPCWSTR line, FieldTable<N>& table, SplitMode mode, int* pDataFields = nullptr) {
    return SplitFields(line, table.f, N, mode, pDataFields);
}
