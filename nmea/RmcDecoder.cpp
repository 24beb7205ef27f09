#include "app/BaseWnd.h"
#include "nmea/FieldStore.h"
#include "nmea/NmeaText.h"
#include "nmea/SentenceIntake.h"

// Speeds above this many km/h are shown in green, with a pause.
constexpr int SPEED_WARNING_KMH = 100;
constexpr DWORD SPEED_WARNING_PAUSE_MS = 1000;
// Time to first fix: fixes within this many ms of the first line are not shown.
constexpr DWORD FIX_TIME_MIN_MS = 3000;

// Field `i` of the current RMC, or "" when this sentence does not reach it
// (a field left by an earlier sentence, or the checksum digits).
static LPCWSTR RmcField(int i, int dataFields) {
    return i < dataFields ? g_FieldStore.RmcFields[i] : TEXT("");
}

// A date (ddmmyy) or time (hhmmss[.sss]) field is read only when it starts
// with exactly six digits; anything shorter or without digits there cannot be
// read at its fixed positions, and the sentence's date and time are ignored.
static BOOL HasSixDigits(LPCWSTR field) {
    for (int i = 0; i < 6; i++)
        if (!IsDigitChar(field[i])) return FALSE;
    return !IsDigitChar(field[6]);
}

// Formats into `out` and copies the result into `text`, cutting what does not
// fit its capacity.
template <int N>
static void FormatDegrees(LPWSTR out, WCHAR (&text)[N], LPCWSTR format, LPCWSTR field,
                          int minutesPos, int fractionPos) {
    // ddmm.ffff / dddmm.ffff: the whole number, the minutes and the fraction
    // are each read as "%d" at their positions; a position past the end of
    // the field reads 0.
    const LONGLONG whole = ReadFieldInt(field, 0);
    const LONGLONG minutes = ReadFieldInt(field, minutesPos);
    const int fraction = ReadFieldInt(field, fractionPos);
    const int degrees = (int)((whole - minutes) / 100);
    WCHAR szText[64];
    wsprintfW(szText, format, degrees, (int)minutes, fraction);
    CopyText(out, FIELD_CHARS, szText);
    CopyText(text, out);
}

// $GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,,,A*60
//        time       st lat       NS lon        EW speed course date
void CBaseWnd::DecodeRmc(LPCWSTR line, HWND hwnd) {
    FieldStore& fs = g_FieldStore;
    FixText& text = m_DisplayPanel.m_FixText;

    // An RMC ends the output cycle: the next GSA and GSV groups start afresh.
    fs.bInViewCleared = FALSE;
    fs.bUsedCleared = FALSE;

    int nData = 0;
    SplitFields(line, fs.RmcFields, SPLIT_COUNTED, &nData);
    LPCWSTR szTime = RmcField(1, nData);
    LPCWSTR szStatus = RmcField(2, nData);
    LPCWSTR szLat = RmcField(3, nData);
    LPCWSTR szNS = RmcField(4, nData);
    LPCWSTR szLon = RmcField(5, nData);
    LPCWSTR szEW = RmcField(6, nData);
    LPCWSTR szKnots = RmcField(7, nData);
    LPCWSTR szCourse = RmcField(8, nData);
    LPCWSTR szDate = RmcField(9, nData);

    if (szStatus[0] == 'A') {
        CopyText(text.szStatus, TEXT("3D"));
        ShowFixTime(hwnd);
    } else {
        CopyText(text.szStatus, TEXT("No Fix"));
    }

    if (szDate[0] && szTime[0] && HasSixDigits(szDate) && HasSixDigits(szTime)) {
        const int d0 = ReadFieldInt(szDate, 0), d2 = ReadFieldInt(szDate, 2);
        const int d4 = ReadFieldInt(szDate, 4);
        const int t0 = ReadFieldInt(szTime, 0), t2 = ReadFieldInt(szTime, 2);
        const int t4 = ReadFieldInt(szTime, 4);
        SYSTEMTIME st = {};
        st.wYear = (WORD)(d4 + 2000);
        st.wMonth = (WORD)((d2 - d4) / 100);
        st.wDay = (WORD)((d0 - d2) / 10000);
        st.wSecond = (WORD)t4;
        st.wMinute = (WORD)((t2 - t4) / 100);
        st.wHour = (WORD)((t0 - t2) / 10000);
        st.wDayOfWeek = 1;
        st.wMilliseconds = 0; // the fraction of the second is dropped

        // An invalid date or time (month 13, hour 24) fails the conversion and
        // falls back to the last valid one. Before any valid one the date and
        // time stay as they are, rather than showing the zero file time.
        BOOL valid = SystemTimeToFileTime(&st, &fs.ftUtc);
        if (valid || fs.ftUtc.dwLowDateTime || fs.ftUtc.dwHighDateTime) {
            FileTimeToLocalFileTime(&fs.ftUtc, &fs.ftLocal);
            FileTimeToSystemTime(&fs.ftLocal, &m_stLastFix);
            WCHAR szText[64];
            wsprintfW(szText, TEXT("%.4d/%.2d/%.2d"), m_stLastFix.wYear, m_stLastFix.wMonth,
                      m_stLastFix.wDay);
            CopyText(text.szDate, szText);
            wsprintfW(szText, TEXT("%.2d:%.2d:%.2d"), m_stLastFix.wHour, m_stLastFix.wMinute,
                      m_stLastFix.wSecond);
            CopyText(text.szTime, szText);
        }
    }

    CopyText(text.szDirection, szCourse[0] ? szCourse : TEXT("0"));

    if (szKnots[0]) {
        // Whole knots (a field without digits reads 0) to whole km/h.
        double kmh = ReadFieldInt(szKnots, 0) * 1.852;
        if (kmh > 2147483647.0) kmh = 2147483647.0;
        if (kmh < -2147483648.0) kmh = -2147483648.0;
        const int speed = (int)kmh;
        WCHAR szText[64];
        wsprintfW(szText, TEXT("%d Km/hr"), speed);
        CopyText(text.szSpeed, szText);
        if (speed > SPEED_WARNING_KMH) {
            m_ControlPanel.SetConsoleColor(CONSOLE_GREEN);
            Sleep(SPEED_WARNING_PAUSE_MS);
        }
    } else {
        CopyText(text.szSpeed, TEXT("0 Km/hr"));
    }

    if (szLat[0] && szNS[0] && szLon[0] && szEW[0]) {
        CopyText(text.szNS, szNS);
        CopyText(text.szEW, szEW);
        // The formatted positions replace the fields they were read from.
        FormatDegrees(fs.RmcFields[3], text.szLatitude, TEXT("%.2d`%.2d.%.4d'"), szLat, 2, 5);
        FormatDegrees(fs.RmcFields[5], text.szLongitude, TEXT("%.3d`%.2d.%.4d'"), szLon, 3, 6);
    }

    fs.bRepaintPending = TRUE;
}

// Shows the time to first fix in the title, once per link opening or reset,
// for the first fix more than 3 s after the first line.
void CBaseWnd::ShowFixTime(HWND hwnd) {
    if (m_bFixTimeShown) return;
    if (GetTickCount() - m_dwStartTick <= FIX_TIME_MIN_MS) return;
    m_bFixTimeShown = TRUE;
    const DWORD seconds = (GetTickCount() - m_dwStartTick) / 1000;
    wsprintfW(m_szTitle, TEXT("Trovix  %d Sec"), (int)seconds);
    SetWindowTextW(hwnd, m_szTitle);
    // The next line stamps a new start tick and is not decoded.
    m_dwStartTick = 0;
}
