#include "nmea/NmeaText.h"

static BOOL IsBlank(WCHAR c) {
    // The blanks that "%d" skips.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int ReadFieldInt(LPCWSTR field, int pos, BOOL* pHasDigits) {
    if (pHasDigits) *pHasDigits = FALSE;
    if (pos < 0) return 0;
    // Walk to the position without passing the terminator.
    LPCWSTR p = field;
    for (int i = 0; i < pos; i++, p++)
        if (*p == 0) return 0;

    while (IsBlank(*p))
        p++;
    BOOL negative = FALSE;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        p++;
    }
    if (!IsDigitChar(*p)) return 0;

    const LONGLONG limit = negative ? 2147483648LL : 2147483647LL;
    LONGLONG value = 0;
    for (; IsDigitChar(*p); p++) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit; // saturate; keep consuming digits
    }
    if (pHasDigits) *pHasDigits = TRUE;
    return (int)(negative ? -value : value);
}

int TextLength(LPCWSTR text) {
    int n = 0;
    while (text[n])
        n++;
    return n;
}

void CopyText(LPWSTR dest, int capacity, LPCWSTR src) {
    if (capacity <= 0) return;
    int i = 0;
    for (; i < capacity - 1 && src[i]; i++)
        dest[i] = src[i];
    dest[i] = 0;
}

LPCWSTR FindText(LPCWSTR text, LPCWSTR part) {
    const WCHAR first = part[0];
    if (!first) return text;
    // Every line is searched for several texts: look for the first character
    // alone and compare the rest only where it occurs.
    for (; *text; text++) {
        if (*text != first) continue;
        int i = 1;
        while (part[i] && text[i] == part[i])
            i++;
        if (!part[i]) return text;
    }
    return nullptr;
}
