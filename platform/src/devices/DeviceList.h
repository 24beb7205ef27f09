// The present serial devices and their stable COM numbers.
//
// Hardware ports come from libudev (USB serial adapters, CDC-ACM, Bluetooth
// RFCOMM, on-board UARTs that really exist), then the virtual ports: symbolic
// links in $XDG_RUNTIME_DIR/starvane/ports/ (or /tmp/starvane-<uid>/ports/)
// whose target exists, named after their description.
#pragma once

#include <string>
#include <vector>

namespace winapi {

struct SerialDevice {
    std::string path;        // device node, e.g. /dev/ttyUSB0
    std::string description; // e.g. "FT232R USB UART"; for a virtual port the link's name
    int comNumber = 0;       // n of COMn, stable per device path
    bool isVirtual = false;
    // "<description> <path> (COMn)", at most 199 characters; the description is
    // shortened to fit and never contains "(COM" or ':' of its own.
    std::u16string friendlyName() const;
};

std::vector<SerialDevice> listSerialDevices();
// The device path behind COMn, empty when no present device has that number.
std::string devicePathForComPort(int n);
// The folder in which virtual ports are registered.
std::string virtualPortFolder();

} // namespace winapi
