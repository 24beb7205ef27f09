// The fix record that sentence decoding fills and the display panel paints.
#pragma once

#include <windows.h>

// One satellite, indexed by its PRN in the SatTable.
struct SatSlot {
    BYTE bInView; // reported by the current GSV group
    BYTE bUsed;   // listed by the current GSA group as used in the fix
    LONG nSnr;    // signal-to-noise value as received, 0 when not tracked
    LONG nX;      // sky plot position (155 x 155, centre 77, north up), or
    LONG nY;      // SKY_NO_POSITION when the receiver gave no elevation/azimuth
};

// nX and nY of a satellite that is in view but has no sky position yet (empty
// or non-numeric elevation or azimuth). The display gives it a column and a
// bar but no marker.
constexpr LONG SKY_NO_POSITION = -32768;

constexpr int SAT_TABLE_SIZE = 256;
typedef SatSlot SatTable[SAT_TABLE_SIZE];

// The eleven display texts; capacities include the terminator.
struct FixText {
    WCHAR szDate[15];
    WCHAR szTime[10];
    WCHAR szDirection[10];
    WCHAR szSpeed[10];
    WCHAR szStatus[10];
    WCHAR szHdop[10];
    WCHAR szPdop[10];
    WCHAR szNS[10];
    WCHAR szLatitude[15];
    WCHAR szEW[10];
    WCHAR szLongitude[15];
};
