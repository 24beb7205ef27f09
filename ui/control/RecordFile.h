// Record file state shared with sentence intake and the display panel.
#pragma once

#include <windows.h>

extern HANDLE g_hRecordFile; // open record file, INVALID_HANDLE_VALUE when none
extern BOOL g_bRecording;    // 1 from record start to stop
extern LONG g_nSnrOffset;    // added to shown signal values while recording
