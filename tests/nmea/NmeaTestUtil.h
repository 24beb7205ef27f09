// Helpers for the sentence-processing tests: ASCII <-> WCHAR text, sentences
// with their checksum, and a clean decoding state.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/BaseWnd.h"
#include "nmea/FieldStore.h"

// ASCII (or raw 8-bit, sign-extended like the link reader does) to WCHAR.
inline std::u16string W(const std::string& s) {
    std::u16string out;
    for (char c : s)
        out += (char16_t)(WCHAR)(signed char)c;
    return out;
}

// WCHAR text to printable ASCII (other characters as \uXXXX) for messages.
inline std::string A(LPCWSTR s) {
    std::string out;
    for (; *s; s++) {
        if (*s == '\r')
            out += "\\r";
        else if (*s == '\n')
            out += "\\n";
        else if (*s >= 0x20 && *s < 0x7F)
            out += (char)*s;
        else {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04X", (unsigned)*s);
            out += buf;
        }
    }
    return out;
}
inline std::string A(const std::u16string& s) {
    return A(s.c_str());
}

// "$GPGSV,1,1,00" -> "$GPGSV,1,1,00*79\r\n"
inline std::string Nmea(const std::string& body) {
    unsigned x = 0;
    for (size_t i = 1; i < body.size(); i++)
        x ^= (unsigned char)body[i];
    char tail[8];
    snprintf(tail, sizeof tail, "*%02X\r\n", x);
    return body + tail;
}

// The whole fix text as 11 strings, in member order.
inline std::vector<std::string> FixStrings(const FixText& t) {
    return {A(t.szDate), A(t.szTime), A(t.szDirection), A(t.szSpeed), A(t.szStatus),   A(t.szHdop),
            A(t.szPdop), A(t.szNS),   A(t.szLatitude),  A(t.szEW),    A(t.szLongitude)};
}

// A main window object with no windows, and a field store as at program
// start. Window calls on the null handles fail, which the code ignores.
struct NmeaState {
    CBaseWnd wnd;
    NmeaState() {
        g_FieldStore = FieldStore{};
        wnd.m_DisplayPanel.ResetFix();
        wnd.m_bBusy = FALSE;
        wnd.m_bFixTimeShown = TRUE; // keep fixes from touching the title
        wnd.m_dwStartTick = 1;      // lines are decoded, not taken as the first
        wnd.m_stLastFix = SYSTEMTIME{};
        wnd.m_szTitle[0] = 0;
    }
    FixText& fix() { return wnd.m_DisplayPanel.m_FixText; }
    SatTable& sats() { return wnd.m_DisplayPanel.m_SatTable; }
    void Rmc(const std::string& s) { wnd.DecodeRmc(W(s).c_str(), nullptr); }
    void Gsa(const std::string& s) { wnd.DecodeGsa(W(s).c_str(), nullptr); }
    void Gsv(const std::string& s) { wnd.DecodeGsv(W(s).c_str()); }
};
