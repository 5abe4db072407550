#include "ComPortMap.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace orvexlink;

namespace {

TEST(ComPortMap, NumbersMapOntoTheKernelsSerialDevices) {
    pylox::test::ScopedConfigHome home;
    const std::pair<int, const char*> cases[] = {{1, "/dev/ttyS0"},
                                                 {32, "/dev/ttyS31"},
                                                 {33, "/dev/ttyUSB0"},
                                                 {64, "/dev/ttyUSB31"},
                                                 {65, "/dev/ttyACM0"},
                                                 {96, "/dev/ttyACM31"},
                                                 {0, ""},
                                                 {97, ""},
                                                 {-1, ""}};
    for (const auto& [port, device] : cases)
        EXPECT_EQ(ComPortDevice(port), device) << port;
}

TEST(ComPortMap, ADosDevicesLinkNamesTheDevice) {
    pylox::test::ScopedConfigHome home;
    const auto folder = home.path() / "Orvex" / "dosdevices";
    EXPECT_EQ(DosDevicesFolder(), folder.string());
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink("/dev/null", folder / "com3");
    std::filesystem::create_symlink("/dev/null", folder / "com120");
    EXPECT_EQ(ComPortDevice(3), (folder / "com3").string());
    EXPECT_EQ(ComPortDevice(120), (folder / "com120").string());
    EXPECT_EQ(ComPortDevice(4), "/dev/ttyS3");
    // A link names its port even while its device is missing (an unplugged
    // adapter): the port then fails to open instead of reaching another device.
    std::filesystem::create_symlink("/dev/pylox-unplugged", folder / "com5");
    EXPECT_EQ(ComPortDevice(5), (folder / "com5").string());
}

TEST(ComPortMap, WithoutAConfigFolderTheLinksAreInTheHomeFolder) {
    pylox::test::ScopedConfigHome home; // restores the environment afterwards
    const std::string previousHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.path().c_str(), 1);
    for (const char* config : {"", static_cast<const char*>(nullptr)}) {
        if (config)
            setenv("XDG_CONFIG_HOME", config, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(DosDevicesFolder(), (home.path() / ".config" / "Orvex" / "dosdevices").string());
    }
    setenv("HOME", previousHome.c_str(), 1);
}

} // namespace
