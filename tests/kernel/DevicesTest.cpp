#include "VirtualPortFixture.h"

#include <setupapi.h>

#include <fstream>
#include <set>

using kerneltest::PseudoTerminal;
using kerneltest::VirtualPortTest;
using kerneltest::wide;

namespace {

// Every friendly name of the present devices, read the way the port list does.
std::vector<std::u16string> friendlyNames(DWORD cbSize = 28) {
    std::vector<std::u16string> names;
    HDEVINFO set =
        SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    EXPECT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVINFO_DATA data = {};
    data.cbSize = cbSize;
    DWORD i = 0;
    for (; SetupDiEnumDeviceInfo(set, i, &data); ++i) {
        BYTE buf[400];
        if (SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_FRIENDLYNAME, nullptr, buf,
                                              sizeof buf, nullptr))
            names.emplace_back(reinterpret_cast<const char16_t*>(buf));
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    return names;
}

bool contains(const std::vector<std::u16string>& names, const std::u16string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

TEST_F(VirtualPortTest, VirtualPortIsListedWithItsComNumber) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slave.empty());
    addLink("GPS Simulator", pty.slave);
    int n = comNumberOf(pty.slave);
    ASSERT_GE(n, 3);
    std::u16string expected =
        u"GPS Simulator " + wide(pty.slave) + u" (COM" + wide(std::to_string(n)) + u")";
    EXPECT_TRUE(contains(friendlyNames(28), expected));
    EXPECT_TRUE(contains(friendlyNames(sizeof(SP_DEVINFO_DATA)), expected));
    EXPECT_EQ(winapi::devicePathForComPort(n), pty.slave);
}

TEST_F(VirtualPortTest, PropertyBufferAndStructureSizeAreChecked) {
    addLink("Short", makeFile("dev"));
    HDEVINFO set =
        SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVINFO_DATA data = {};
    data.cbSize = 20;
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    data.cbSize = 28;
    DWORD count = 0;
    while (SetupDiEnumDeviceInfo(set, count, &data))
        ++count;
    ASSERT_GE(count, 1u);
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, count - 1, &data)); // the virtual port comes last

    std::u16string expected = u"Short " + wide(dir_.path()) + u"/dev (COM" +
                              wide(std::to_string(comNumberOf(dir_.path() + "/dev"))) + u")";
    DWORD required = 0, type = 0;
    BYTE small[8];
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_FRIENDLYNAME, &type, small,
                                                   sizeof small, &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(required, (expected.size() + 1) * 2);
    std::vector<BYTE> exact(required);
    ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_FRIENDLYNAME, &type,
                                                  exact.data(), required, &required));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(exact.data())), expected);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_HARDWAREID, nullptr,
                                                   exact.data(), required, nullptr));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
}

TEST_F(VirtualPortTest, ComNumbersAreStableAndRemembered) {
    std::string a = makeFile("a"), b = makeFile("b"), c = makeFile("c");
    addLink("A", a);
    addLink("B", b);
    int na = comNumberOf(a), nb = comNumberOf(b);
    EXPECT_GE(na, 3);
    EXPECT_GE(nb, 3);
    EXPECT_NE(na, nb);
    EXPECT_EQ(comNumberOf(a), na);

    // A gone and C new: C must not take A's number, and A gets its own back.
    removeLink("A");
    addLink("C", c);
    int nc = comNumberOf(c);
    EXPECT_NE(nc, na);
    EXPECT_NE(nc, nb);
    addLink("A", a);
    EXPECT_EQ(comNumberOf(a), na);
    EXPECT_EQ(comNumberOf(b), nb);
    std::ifstream map(dir_.path() + "/config/starvane/comports");
    EXPECT_TRUE(map.good());
}

TEST_F(VirtualPortTest, UnwritableMapStillGivesDistinctRepeatableNumbers) {
    std::string notAFolder = makeFile("config-file");
    kerneltest::ScopedEnv config("XDG_CONFIG_HOME", notAFolder.c_str());
    std::set<int> numbers;
    std::vector<std::string> targets;
    for (int i = 0; i < 8; ++i) {
        targets.push_back(makeFile("dev" + std::to_string(i)));
        addLink("Port " + std::to_string(i), targets.back());
    }
    auto first = winapi::listSerialDevices();
    for (const auto& d : first)
        numbers.insert(d.comNumber);
    EXPECT_EQ(numbers.size(), first.size());
    auto second = winapi::listSerialDevices();
    for (const auto& t : targets) {
        ASSERT_NE(find(first, t), nullptr);
        EXPECT_GE(find(first, t)->comNumber, 3);
        EXPECT_EQ(find(first, t)->comNumber, find(second, t)->comNumber);
    }
}

TEST_F(VirtualPortTest, DanglingLinksAreNotListed) {
    addLink("Gone", dir_.path() + "/no-such-device");
    for (const auto& d : winapi::listSerialDevices())
        EXPECT_NE(d.description, "Gone");
}

TEST_F(VirtualPortTest, FriendlyNameKeepsThePortNameFindable) {
    std::string target = makeFile("dev");
    addLink("Rx: model (COM9) " + std::string(230, 'x'), target);
    auto list = winapi::listSerialDevices();
    const auto* d = find(list, target);
    ASSERT_NE(d, nullptr);
    std::u16string name = d->friendlyName();
    EXPECT_LE(name.size(), 199u);
    std::u16string tail = u" (COM" + wide(std::to_string(d->comNumber)) + u")";
    EXPECT_EQ(name.find(u"(COM"), name.size() - tail.size() + 1);
    EXPECT_EQ(name.find(u':'), std::u16string::npos);
    EXPECT_NE(name.find(wide(target)), std::u16string::npos);
}
