// The HKEY_LOCAL_MACHINE view of this machine's serial ports: the COM port map's
// ports whose device exists, with real pseudo-terminals behind dosdevices links.
#include "TestEnvironment.h"
#include "platform/Registry.h"
#include "platform/SerialPortView.h"
#include "settings/Ut.h"

#include <ComPortMap.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A pseudo-terminal pair; the slave is what a dosdevices link names.
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slave_ = ::ptsname(master_);
    }
    ~Pty() { ::close(master_); }
    const std::string& Slave() const { return slave_; }

private:
    int master_ = -1;
    std::string slave_;
};

const TSerialPortEntry* Find(const std::vector<TSerialPortEntry>& ports, int number) {
    for (const TSerialPortEntry& port : ports)
        if (port.ComNumber == number)
            return &port;
    return nullptr;
}

class MachineView : public testing::Test {
protected:
    MachineView() { fs::create_directories(orvexlink::DosDevicesFolder()); }
    ~MachineView() override { SetLocalMachineProvider({}); }

    static fs::path Link(const std::string& name, const fs::path& target) {
        const fs::path link = fs::path(orvexlink::DosDevicesFolder()) / name;
        fs::create_symlink(target, link);
        return link;
    }

    pylox::test::ScopedConfigHome home_;
};

TEST_F(MachineView, PseudoTerminalsBecomePortsThroughTheirLinksOnly) {
    Pty emulator, other;
    const fs::path com7 = Link("com7", emulator.Slave());
    const fs::path com200 = Link("com200", other.Slave());
    Link("com8", home_.path() / "gone");
    std::ofstream(home_.path() / "plain") << "not a device";
    Link("com9", home_.path() / "plain");
    Link("com07", emulator.Slave()); // not a name of the map
    Link("comx", emulator.Slave());

    const std::vector<TSerialPortEntry> ports = MachineSerialPorts();
    const TSerialPortEntry* port7 = Find(ports, 7);
    ASSERT_NE(port7, nullptr);
    EXPECT_EQ(port7->Device, com7.string());
    EXPECT_EQ(port7->Bus, "") << "a pseudo-terminal is no hardware";
    ASSERT_NE(Find(ports, 200), nullptr) << "links reach beyond COM96";
    EXPECT_EQ(Find(ports, 8), nullptr) << "dangling link";
    EXPECT_EQ(Find(ports, 9), nullptr) << "a link to a regular file";
    for (std::size_t i = 1; i < ports.size(); ++i)
        EXPECT_LT(ports[i - 1].ComNumber, ports[i].ComNumber);

    UseMachineSerialPorts();
    const std::string lines = ListSerialPorts();
    const std::size_t line7 = lines.find("COM7 = \r\n");
    ASSERT_NE(line7, std::string::npos) << lines;
    EXPECT_GT(lines.find("COM200 = \r\n"), line7) << lines;
    EXPECT_EQ(lines.find("COM8 "), std::string::npos) << lines;

    // The view follows the machine at once: a removed link removes the port.
    fs::remove(com7);
    EXPECT_EQ(ListSerialPorts().find("COM7 "), std::string::npos);
}

TEST_F(MachineView, WithoutLinksOnlySerialPortsOnHardwareCount) {
    for (const TSerialPortEntry& port : MachineSerialPorts()) {
        SCOPED_TRACE(port.ComNumber);
        EXPECT_EQ(port.Device, orvexlink::ComPortDevice(port.ComNumber));
        EXPECT_TRUE(fs::is_character_file(port.Device));
        EXPECT_FALSE(port.Bus.empty());
        EXPECT_FALSE(port.DeviceId.empty());
        EXPECT_TRUE(fs::exists("/sys/class/tty/" + port.TtyName + "/device"));
        EXPECT_FALSE(port.Description.empty());
    }
    // A UART slot the kernel found no UART in is no port.
    for (int n = 1; n <= 32; ++n) {
        const fs::path type = "/sys/class/tty/ttyS" + std::to_string(n - 1) + "/type";
        std::string uart;
        std::ifstream(type) >> uart;
        if (uart == "0") {
            EXPECT_EQ(Find(MachineSerialPorts(), n), nullptr) << n;
        }
    }
}

TEST_F(MachineView, ALinkToAPortOnHardwareShowsThatHardwareUnderItsOwnNumber) {
    const std::vector<TSerialPortEntry> before = MachineSerialPorts();
    if (before.empty())
        GTEST_SKIP() << "this machine has no serial port on hardware";
    const TSerialPortEntry& port = before.front();
    Link("com150", port.Device);

    const std::vector<TSerialPortEntry> after = MachineSerialPorts();
    const TSerialPortEntry* linked = Find(after, 150);
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(linked->Bus, port.Bus);
    EXPECT_EQ(linked->DeviceId, port.DeviceId);
    EXPECT_EQ(linked->TtyName, port.TtyName);
    EXPECT_EQ(linked->Description, port.Description);

    UseMachineSerialPorts();
    const std::string n = std::to_string(port.ComNumber);
    const std::string lines = ListSerialPorts();
    EXPECT_NE(lines.find("COM" + n + " = " + port.Description + " (COM" + n + ")\r\n"),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("COM150 = " + port.Description + " (COM150)\r\n"), std::string::npos)
        << lines;
}

TEST(SerialPortTree, LaysThePortsOutAsTheWindowsRegistryDoes) {
    const std::vector<TSerialPortEntry> ports = {
        {1, "/dev/ttyS0", "PNP", "PNP0501", "ttyS0", "ttyS0"},
        {7, "/home/u/.config/Orvex/dosdevices/com7", "", "", "", ""},
        {33, "/dev/ttyUSB0", "USB", "VID_0403&PID_6001", "ttyUSB0", "FT232R USB UART"},
        {40, "/home/u/.config/Orvex/dosdevices/com40", "USB", "VID_0403&PID_6001", "ttyUSB0",
         "FT232R USB UART"},
    };
    const std::shared_ptr<const TRegKey> tree = SerialPortTree(ports);
    const TRegKey* map = tree->Find({"HARDWARE", "DEVICEMAP", "SERIALCOMM"});
    ASSERT_NE(map, nullptr);
    ASSERT_EQ(map->Values().size(), 4u);
    EXPECT_EQ(map->Values()[1].first, "/home/u/.config/Orvex/dosdevices/com7");

    const TRegKey* usb =
        tree->Find({"System", "CurrentControlSet", "Enum", "USB", "VID_0403&PID_6001", "ttyUSB0"});
    ASSERT_NE(usb, nullptr);
    ASSERT_NE(usb->Value("FriendlyName"), nullptr);
    EXPECT_EQ(usb->Value("FriendlyName")->Data, TRegValue::String("FT232R USB UART (COM33)").Data);
    EXPECT_NE(tree->Find({"System", "CurrentControlSet", "Enum", "USB", "VID_0403&PID_6001",
                          "ttyUSB0&COM40", "Device Parameters"}),
              nullptr);
    EXPECT_EQ(tree->Find({"System", "CurrentControlSet", "Enum"})->SubKeys().size(), 2u)
        << "no device key for the pseudo-terminal";

    SetLocalMachineProvider([tree] { return tree; });
    EXPECT_EQ(ListSerialPorts(), "COM1 = ttyS0 (COM1)\r\n"
                                 "COM7 = \r\n"
                                 "COM33 = FT232R USB UART (COM33)\r\n"
                                 "COM40 = FT232R USB UART (COM40)\r\n");
    SetLocalMachineProvider({});

    const std::shared_ptr<const TRegKey> empty = SerialPortTree({});
    EXPECT_NE(empty->Find({"HARDWARE", "DEVICEMAP", "SERIALCOMM"}), nullptr);
}

} // namespace
