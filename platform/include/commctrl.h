// Common controls initialisation.
#pragma once
#include <windows.h>

void WINAPI InitCommonControls(void);
