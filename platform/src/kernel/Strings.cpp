// The UTF-16 string helpers of the Windows API and MulDiv.
#include <windows.h>

int WINAPI lstrlenW(LPCWSTR lpString) {
    if (!lpString) return 0;
    int n = 0;
    while (lpString[n])
        ++n;
    return n;
}

LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2) {
    if (!lpString1 || !lpString2) return nullptr;
    LPWSTR d = lpString1;
    while ((*d++ = *lpString2++) != 0) {
    }
    return lpString1;
}

// Copies at most iMaxLength - 1 characters and always terminates, as Windows
// does; a length of 0 leaves the destination untouched.
LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength) {
    if (!lpString1 || !lpString2) return nullptr;
    if (iMaxLength <= 0) return lpString1;
    int i = 0;
    for (; i < iMaxLength - 1 && lpString2[i]; ++i)
        lpString1[i] = lpString2[i];
    lpString1[i] = 0;
    return lpString1;
}

LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2) {
    if (!lpString1 || !lpString2) return nullptr;
    lstrcpyW(lpString1 + lstrlenW(lpString1), lpString2);
    return lpString1;
}

// Ordinal comparison of code units; null sorts before any string.
int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) {
    if (!lpString1 || !lpString2) return (lpString1 ? 1 : 0) - (lpString2 ? 1 : 0);
    while (*lpString1 && *lpString1 == *lpString2) {
        ++lpString1;
        ++lpString2;
    }
    if (*lpString1 == *lpString2) return 0;
    return *lpString1 < *lpString2 ? -1 : 1;
}

// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 for a zero denominator or a result outside int.
int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
    if (nDenominator == 0) return -1;
    long long product = static_cast<long long>(nNumber) * nNumerator;
    bool negative = (product < 0) != (nDenominator < 0);
    unsigned long long a = product < 0 ? 0ull - static_cast<unsigned long long>(product)
                                       : static_cast<unsigned long long>(product);
    unsigned long long d =
        nDenominator < 0
            ? 0ull - static_cast<unsigned long long>(static_cast<long long>(nDenominator))
            : static_cast<unsigned long long>(nDenominator);
    unsigned long long q = (a + d / 2) / d;
    if (q > (negative ? 2147483648ull : 2147483647ull)) return -1;
    return negative ? static_cast<int>(-static_cast<long long>(q)) : static_cast<int>(q);
}
