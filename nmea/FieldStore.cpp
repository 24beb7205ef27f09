#include "nmea/FieldStore.h"

FieldStore g_FieldStore;

int SplitFields(LPCWSTR line, WCHAR (*fields)[FIELD_CHARS], int count, SplitMode mode,
                int* pDataFields) {
    LPCWSTR p = line;
    int f = 0;
    int last = 0;
    int checksumField = -1; // index of the field after the first '*'
    for (;;) {
        // Copy one field up to its terminator, cutting it at 47 characters;
        // a field past the table is read over but not stored.
        int n = 0;
        while (*p && *p != ',' && *p != '*' && *p != '\r') {
            if (f < count && n < FIELD_CHARS - 1) fields[f][n++] = *p;
            p++;
        }
        if (f < count) {
            fields[f][n] = 0;
            last = f;
        }
        const WCHAR terminator = *p;
        if (terminator == 0 || terminator == '\r') break; // end of text or line end
        if (terminator == '*' && checksumField < 0) checksumField = f + 1;
        p++;
        if (mode == SPLIT_COUNTED) {
            if (*p == '\r' || *p == '*') break;
            if (f + 1 == count) break;
        }
        f++;
    }
    if (pDataFields) {
        int data = last + 1;
        if (checksumField >= 0 && checksumField < data) data = checksumField;
        *pDataFields = data;
    }
    return last;
}
