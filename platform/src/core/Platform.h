// Start-up of the layer: the Qt application and the built-in window classes.
#pragma once

#include <windows.h>

namespace winapi {

// Creates the QApplication (once) and registers the built-in classes. Called
// by the layer's main() before the system's wWinMain, and by test mains.
void initialize(int& argc, char** argv);

} // namespace winapi
