// Internal messages to the main window. All carry wParam 0 and lParam 0 unless
// said otherwise; the main window (CBaseWnd) is their only receiver.
#pragma once

#include <windows.h>

// Open or close the link. Sent by the control panel's Start button; result 1
// when a link was opened or closed, 0 when nothing changed.
#define WMU_TOGGLE_LINK 2724
// Cold-start the receiver. Sent by the Cold Start button; result always 1.
#define WMU_COLD_START 2725
// One received line. Sent by the reader thread; wParam is the NUL-terminated
// line (ending with its line feed), owned by the sender and valid only during
// the call. Result: 1 handled, 0 turned away while another line was decoded.
#define WMU_SENTENCE 2726
// 2727 has no meaning and is default-processed.
// Receiver power save on/off. Posted by the Power Save check box.
#define WMU_POWER_SAVE_ON 2728
#define WMU_POWER_SAVE_OFF 2729
// WAAS/EGNOS on/off. Posted by the WAAS/EGNOS check box.
#define WMU_WAAS_ON 2730
#define WMU_WAAS_OFF 2731
// VTG output on/off. Posted by the VTG check box.
#define WMU_VTG_ON 2732
#define WMU_VTG_OFF 2733
// Ask the receiver for its version. Sent by Get Version; result not used.
#define WMU_GET_VERSION 2734
// Start/stop the record file. Posted by the Log File check box; result 0.
#define WMU_RECORD_START 2735
#define WMU_RECORD_STOP 2736
// Send the typed command. Sent by the Send button (0 means failure) and by the
// main window itself on TIMER_AUTO_SEND.
#define WMU_SEND_COMMAND 2737
// Start/stop periodic sending. Posted by the Auto check box; result 0.
#define WMU_AUTO_SEND_START 2738
#define WMU_AUTO_SEND_STOP 2739
// Factory-reset the receiver. Sent by the Factory Reset button; result always 1.
#define WMU_FACTORY_RESET 2740
