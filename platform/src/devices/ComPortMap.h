// Stable COM numbers: the same device path gets the same number on every
// start. The assignments live in $XDG_CONFIG_HOME/starvane/comports (or
// ~/.config/starvane/comports), one "<n> <path>" per line; a path seen for the
// first time gets the lowest free number from 3 up (COM1 and COM2 are left to
// the on-board ports of the machine's Windows habits). When the file cannot be
// written, a number derived from the path is used that collides with nothing
// else in the same list.
#pragma once

#include <string>
#include <vector>

namespace winapi::devices {

// The numbers for the given paths, in the same order.
std::vector<int> comNumbersFor(const std::vector<std::string>& paths);

// The map file's path, empty when there is no configuration folder.
std::string comPortMapPath();

} // namespace winapi::devices
