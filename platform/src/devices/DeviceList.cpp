#include "devices/DeviceList.h"

#include "devices/ComPortMap.h"
#include "kernel/PathMapping.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <libudev.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace winapi {

namespace {

constexpr size_t kMaxFriendlyName = 199; // the system's buffer holds 199 characters and a NUL

bool startsWith(const char* s, const char* prefix) {
    return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// Orders "ttyUSB2" before "ttyUSB10".
bool naturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t ie = i, je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie])))
                ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je])))
                ++je;
            unsigned long long x = std::strtoull(a.substr(i, ie - i).c_str(), nullptr, 10);
            unsigned long long y = std::strtoull(b.substr(j, je - j).c_str(), nullptr, 10);
            if (x != y) return x < y;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

const char* driverOf(udev_device* dev) {
    for (udev_device* p = udev_device_get_parent(dev); p; p = udev_device_get_parent(p))
        if (const char* driver = udev_device_get_driver(p)) return driver;
    return nullptr;
}

// The 8250 driver registers ports whether or not a UART answers there; such a
// port reports the type PORT_UNKNOWN and cannot be opened.
bool uartIsPresent(udev_device* dev, const char* node) {
    if (const char* type = udev_device_get_sysattr_value(dev, "type"))
        return std::strtol(type, nullptr, 10) != PORT_UNKNOWN;
    int fd = open(node, O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES || errno == EBUSY; // there, but not ours to check
    struct serial_struct info;
    bool present = ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type != PORT_UNKNOWN;
    close(fd);
    return present;
}

bool isRealPort(udev_device* dev, const char* name, const char* node) {
    if (startsWith(name, "rfcomm"))
        return true; // Bluetooth serial links are virtual devices in sysfs
    const char* driver = driverOf(dev);
    if (!driver) return false; // consoles, pseudo-terminals and other virtual ttys
    if (std::strcmp(driver, "serial8250") == 0 || startsWith(name, "ttyS"))
        return uartIsPresent(dev, node);
    return true;
}

std::string describe(udev_device* dev, const char* name) {
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device"))
        if (const char* product = udev_device_get_sysattr_value(usb, "product");
            product && *product)
            return product;
    if (const char* model = udev_device_get_property_value(dev, "ID_MODEL_FROM_DATABASE");
        model && *model)
        return model;
    if (const char* model = udev_device_get_property_value(dev, "ID_MODEL"); model && *model) {
        std::string text = model;
        std::replace(text.begin(), text.end(), '_', ' ');
        return text;
    }
    if (startsWith(name, "rfcomm")) return "Bluetooth Serial Port";
    if (startsWith(name, "ttyUSB") || startsWith(name, "ttyACM")) return "USB Serial Port";
    return "Communications Port";
}

std::vector<SerialDevice> hardwarePorts() {
    std::vector<SerialDevice> ports;
    udev* u = udev_new();
    if (!u) return ports;
    udev_enumerate* e = udev_enumerate_new(u);
    if (e && udev_enumerate_add_match_subsystem(e, "tty") >= 0 &&
        udev_enumerate_scan_devices(e) >= 0) {
        udev_list_entry* entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e)) {
            udev_device* dev = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
            if (!dev) continue;
            const char* node = udev_device_get_devnode(dev);
            const char* name = udev_device_get_sysname(dev);
            struct stat st;
            if (node && name && stat(node, &st) == 0 && isRealPort(dev, name, node)) {
                SerialDevice d;
                d.path = node;
                d.description = describe(dev, name);
                ports.push_back(d);
            }
            udev_device_unref(dev);
        }
    }
    if (e) udev_enumerate_unref(e);
    udev_unref(u);
    std::sort(ports.begin(), ports.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return naturalLess(a.path, b.path);
    });
    return ports;
}

std::vector<SerialDevice> virtualPorts() {
    std::vector<SerialDevice> ports;
    std::string folder = virtualPortFolder();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return ports;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::string link = folder + "/" + entry->d_name;
        struct stat st;
        if (lstat(link.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) continue;
        char target[PATH_MAX];
        if (!realpath(link.c_str(), target))
            continue; // the port's program has gone and left its link behind
        SerialDevice d;
        d.path = target;
        d.description = entry->d_name;
        d.isVirtual = true;
        ports.push_back(d);
    }
    closedir(dir);
    std::sort(ports.begin(), ports.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return naturalLess(a.description, b.description);
    });
    return ports;
}

} // namespace

std::string virtualPortFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/starvane/ports";
    return "/tmp/starvane-" + std::to_string(getuid()) + "/ports";
}

std::u16string SerialDevice::friendlyName() const {
    // The system finds the port name at the first "(COM" and cuts the item at
    // its first ':', so the description must contain neither.
    std::string text = description;
    std::replace(text.begin(), text.end(), ':', ' ');
    for (size_t at = text.find("(COM"); at != std::string::npos; at = text.find("(COM", at))
        text[at] = '[';
    std::u16string name = kernel::utf8ToUtf16(text);
    std::u16string suffix =
        kernel::utf8ToUtf16(" " + path + " (COM" + std::to_string(comNumber) + ")");
    if (name.size() + suffix.size() > kMaxFriendlyName) {
        size_t keep = suffix.size() < kMaxFriendlyName ? kMaxFriendlyName - suffix.size() : 0;
        name.resize(std::min(name.size(), keep));
        if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF)
            name.pop_back(); // never leave half a surrogate pair
    }
    return name + suffix;
}

std::vector<SerialDevice> listSerialDevices() {
    std::vector<SerialDevice> devices = hardwarePorts();
    for (auto& v : virtualPorts()) {
        bool listed = std::any_of(devices.begin(), devices.end(),
                                  [&](const SerialDevice& d) { return d.path == v.path; });
        if (!listed) devices.push_back(v);
    }
    std::vector<std::string> paths;
    for (const auto& d : devices)
        paths.push_back(d.path);
    std::vector<int> numbers = devices::comNumbersFor(paths);
    for (size_t i = 0; i < devices.size(); ++i)
        devices[i].comNumber = numbers[i];
    return devices;
}

std::string devicePathForComPort(int n) {
    for (const auto& d : listSerialDevices())
        if (d.comNumber == n) return d.path;
    return {};
}

} // namespace winapi
