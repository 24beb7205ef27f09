#include <math.h>

#include "app/BaseWnd.h"
#include "nmea/FieldStore.h"
#include "nmea/NmeaText.h"

// Sky plot: centre (77, 77) of 155 x 155 pixels, horizon 63 pixels out.
constexpr double SKY_CENTRE = 77;
constexpr double SKY_PIXELS_PER_DEGREE = 0.7;
constexpr double SKY_PI = 3.14159;

// The PRN of a field, or -1 when it has no slot in the table.
static int SlotOf(LPCWSTR field) {
    const int prn = ReadFieldInt(field, 0);
    return prn >= 0 && prn < SAT_TABLE_SIZE ? prn : -1;
}

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
//          mode  used PRNs (12 places)   PDOP HDOP VDOP
void CBaseWnd::DecodeGsa(LPCWSTR line, HWND hwnd) {
    FieldStore& fs = g_FieldStore;
    FixText& text = m_DisplayPanel.m_FixText;
    SatTable& sats = m_DisplayPanel.m_SatTable;

    // The first GSA after an RMC or GSV starts a fresh list of used
    // satellites; GSA sentences right after it add to the list.
    fs.bInViewCleared = FALSE;
    if (!fs.bUsedCleared) {
        fs.bUsedCleared = TRUE;
        for (SatSlot& slot : sats)
            slot.bUsed = 0;
    }

    int nData = 0;
    SplitFields(line, fs.GsaFields, SPLIT_COUNTED, &nData);
    // Fields this sentence does not reach (and its checksum digits) are empty.
    auto field = [&](int i) -> LPCWSTR { return i < nData ? fs.GsaFields[i] : TEXT(""); };

    switch (field(2)[0]) {
    case '2':
        CopyText(text.szStatus, TEXT("2D"));
        break;
    case '3':
        CopyText(text.szStatus, TEXT("3D"));
        ShowFixTime(hwnd);
        break;
    default:
        CopyText(text.szStatus, TEXT("No Fix"));
        break; // '1', empty or other
    }

    // A place without digits reads as PRN 0; a PRN without a slot is ignored.
    for (int i = 3; i <= 14; i++) {
        if (!field(i)[0]) continue;
        const int slot = SlotOf(field(i));
        if (slot >= 0) sats[slot].bUsed = 1;
    }

    // Cut to the texts' capacity.
    CopyText(text.szHdop, field(16));
    CopyText(text.szPdop, field(15));
}

// $GPGSV,2,1,06,05,90,000,45,12,00,180,30,17,00,270,,20,45,045,38*72
//        total, number, in view, then blocks of PRN, elevation, azimuth, SNR;
//        NMEA 4.10 adds a signal id field before the checksum.
void CBaseWnd::DecodeGsv(LPCWSTR line) {
    FieldStore& fs = g_FieldStore;
    SatTable& sats = m_DisplayPanel.m_SatTable;

    fs.bUsedCleared = FALSE;

    int nData = 0;
    // L: the last field written, normally the checksum digits. At most 20,
    // since fields past the table are dropped.
    const int L = SplitFields(line, fs.GsvFields, SPLIT_GSV, &nData);
    // Fields this sentence does not reach (a partial last block, and the
    // checksum digits) are empty, never text of an earlier sentence.
    auto field = [&](int i) -> LPCWSTR { return i < nData ? fs.GsvFields[i] : TEXT(""); };

    // The first message 1 after an RMC or GSA clears the in-view marks; a
    // further group (another talker) right after it adds to them.
    if (field(2)[0] == '1' && !fs.bInViewCleared) {
        fs.bInViewCleared = TRUE;
        for (SatSlot& slot : sats)
            slot.bInView = 0;
    }

    // The last message of a group completes it.
    if (field(1)[0] && field(2)[0] == field(1)[0]) fs.bRepaintPending = TRUE;

    // A block is four fields from field 4 on. A lone field directly before
    // the last one is the NMEA 4.10 signal id, not a satellite: so the blocks
    // are those whose PRN field lies at least two before the last field.
    const int blocks = L < 6 ? 0 : (L - 2) / 4;
    // Receivers with a signal id repeat the group once per signal (L1, L2,
    // E5...), and a satellite tracked on one signal often has no value on
    // another: an empty value then must not wipe the one already reported
    // for the satellite in this cycle.
    // The sentence's own field count tells (the table may have dropped the
    // last fields): after the three header fields, blocks of four and one.
    int commas = 0;
    for (LPCWSTR p = line; *p && *p != '*' && *p != '\r'; ++p)
        if (*p == ',') ++commas;
    const bool perSignal = commas >= 4 && (commas - 3) % 4 == 1;
    for (int j = 0; j < blocks; j++) {
        const int k = 4 + 4 * j;
        const int prn = ReadFieldInt(field(k), 0);
        if (prn == 0) continue;
        const int slot = SlotOf(field(k));
        if (slot < 0) continue;

        SatSlot& sat = sats[slot];
        const bool seenThisCycle = sat.bInView;
        sat.bInView = 1;
        // Empty when not tracked; a field without digits reads 0 too.
        if (!(perSignal && seenThisCycle && !field(k + 3)[0])) sat.nSnr = ReadFieldInt(field(k + 3), 0);

        BOOL hasElevation = FALSE, hasAzimuth = FALSE;
        const int e = ReadFieldInt(field(k + 1), 0, &hasElevation);
        const int a = ReadFieldInt(field(k + 2), 0, &hasAzimuth);
        if (!hasElevation || !hasAzimuth) {
            // Known but not yet placed: in view with its signal, no marker.
            sat.nX = SKY_NO_POSITION;
            sat.nY = SKY_NO_POSITION;
            continue;
        }
        // North up, east right; the products stay in the 32-bit range for
        // any elevation and azimuth read.
        const double angle = ((double)a - 90) * SKY_PI / 180;
        const double r = (90 - (double)e) * SKY_PIXELS_PER_DEGREE;
        sat.nX = (LONG)(cos(angle) * r + SKY_CENTRE);
        sat.nY = (LONG)(sin(angle) * r + SKY_CENTRE);
    }
}
