#include "ComPortMap.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

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
}

} // namespace
