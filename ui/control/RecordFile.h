// Record file state shared with sentence intake and the display panel.
#pragma once

#include <windows.h>

extern HANDLE g_hRecordFile; // open record file, INVALID_HANDLE_VALUE when none
extern BOOL g_bRecording;    // 1 from record start to stop
extern LONG g_nSnrOffset;    // added to shown signal values while recording

// The longest auto-send interval in seconds: its period in milliseconds must
// fit the largest timer period (0x7FFFFFFF ms, about 24.8 days).
constexpr int AUTO_SEND_MAX_SECONDS = 0x7FFFFFFF / 1000;
