// The port listing of the serial port dialog over fixed HKEY_LOCAL_MACHINE trees:
// the device map, the friendly-name search of the device tree and the port number
// of a line.
#include "platform/Registry.h"
#include "settings/Ut.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

// A device key of the enumeration tree, with its friendly name and port name.
void Device(TRegKey& parent, const QString& name, const QString& friendlyName,
            const QString& portName) {
    TRegKey& key = parent.AddSubKey(name);
    if (!friendlyName.isNull())
        key.SetValue("FriendlyName", TRegValue::String(friendlyName));
    key.AddSubKey("Device Parameters").SetValue("PortName", TRegValue::String(portName));
}

class PortListing : public testing::Test {
protected:
    PortListing() {
        SetLocalMachineProvider([this] { return machine_; });
    }
    ~PortListing() override { SetLocalMachineProvider({}); }

    TRegKey& Map() { return machine_->Create({"HARDWARE", "DEVICEMAP", "SERIALCOMM"}); }
    TRegKey& Enum() { return machine_->Create({"System", "CurrentControlSet", "Enum"}); }

    std::shared_ptr<TRegKey> machine_ = std::make_shared<TRegKey>();
};

TEST_F(PortListing, OneLinePerDeviceMapValueInEnumerationOrder) {
    Map().SetValue("\\Device\\Serial2", TRegValue::String("COM3"));
    Map().SetValue("\\Device\\Serial0", TRegValue::String("COM1"));
    Map().SetValue("\\Device\\VCP0", TRegValue::String("COM12"));
    TRegKey& acpi = Enum().AddSubKey("ACPI").AddSubKey("PNP0501");
    Device(acpi, "1", "Communications Port (COM1)", "COM1");
    Device(acpi, "3", "Communications Port (COM3)", "COM3");
    Device(Enum().AddSubKey("FTDIBUS").AddSubKey("VID_0403+PID_6001+A1B2C3"), "0000",
           "USB Serial Port (COM12)", "COM12");
    EXPECT_EQ(ListSerialPorts(), "COM3 = Communications Port (COM3)\r\n"
                                 "COM1 = Communications Port (COM1)\r\n"
                                 "COM12 = USB Serial Port (COM12)\r\n");
}

TEST_F(PortListing, PortsWithoutAFriendlyNameEndTheirLineAfterTheEqualsSign) {
    Map().SetValue("\\Device\\Serial0", TRegValue::String("COM1"));
    Map().SetValue("\\Device\\Serial1", TRegValue::String("COM2"));
    Map().SetValue("\\Device\\Serial4", TRegValue::String("COM5"));
    Device(Enum().AddSubKey("ACPI").AddSubKey("PNP0501"), "1", QString(), "COM1");
    Device(Enum().AddSubKey("ROOT"), "2", "Port (COM2)", "com2"); // names compare exactly
    EXPECT_EQ(ListSerialPorts(), "COM1 = \r\nCOM2 = \r\nCOM5 = \r\n");
}

TEST_F(PortListing, AnEmptyOrMissingDeviceMapListsNothing) {
    Device(Enum().AddSubKey("ACPI"), "1", "Communications Port (COM1)", "COM1");
    EXPECT_EQ(ListSerialPorts(), "") << "no HARDWARE key";
    machine_->Create({"HARDWARE", "DEVICEMAP"});
    EXPECT_EQ(ListSerialPorts(), "") << "no SERIALCOMM key";
    Map();
    EXPECT_EQ(ListSerialPorts(), "") << "an empty SERIALCOMM key";
    SetLocalMachineProvider({});
    EXPECT_EQ(ListSerialPorts(), "") << "no machine tree at all";
}

TEST_F(PortListing, ADeviceMapValueThatIsNoTextRaisesAnError) {
    Map().SetValue("\\Device\\Serial0", TRegValue::String("COM1"));
    Map().SetValue("Count", TRegValue::Dword(1));
    EXPECT_THROW(ListSerialPorts(), ERegistryException);
}

TEST_F(PortListing, TheFirstDeviceInEnumerationOrderNamesAPortTwoDevicesClaim) {
    Map().SetValue("\\Device\\Serial0", TRegValue::String("COM4"));
    Device(Enum().AddSubKey("USB").AddSubKey("VID_067B&PID_2303"), "5&1", "Prolific (COM4)",
           "COM4");
    Device(Enum().AddSubKey("ACPI").AddSubKey("PNP0501"), "1", "Communications Port (COM4)",
           "COM4");
    EXPECT_EQ(ListSerialPorts(), "COM4 = Prolific (COM4)\r\n");
}

TEST_F(PortListing, TheSearchGoesDepthFirstButNotBelowADeviceOfAnotherPort) {
    TRegKey& root = Enum();
    // Depth first: the deep match in the first subtree wins over a shallow later one.
    TRegKey& deep = root.AddSubKey("A").AddSubKey("B").AddSubKey("C");
    Device(deep, "D", "Deep (COM7)", "COM7");
    Device(root, "E", "Shallow (COM7)", "COM7");
    EXPECT_EQ(FindPortFriendlyName("\\System\\CurrentControlSet\\Enum\\", "COM7"), "Deep (COM7)");

    // A device key of another port hides what lies below it.
    TRegKey& other = root.AddSubKey("F");
    other.AddSubKey("Device Parameters").SetValue("PortName", TRegValue::String("COM1"));
    Device(other, "G", "Hidden (COM8)", "COM8");
    EXPECT_EQ(FindPortFriendlyName("\\System\\CurrentControlSet\\Enum\\", "COM8"), "");
    // ... but the search can start below it.
    EXPECT_EQ(FindPortFriendlyName("\\System\\CurrentControlSet\\Enum\\F\\", "COM8"),
              "Hidden (COM8)");
    EXPECT_EQ(FindPortFriendlyName("\\System\\NoSuchKey\\", "COM7"), "");
}

TEST_F(PortListing, APortNameThatIsNoTextRaisesAnError) {
    Enum()
        .AddSubKey("ACPI")
        .AddSubKey("Device Parameters")
        .SetValue("PortName", TRegValue::Dword(1));
    EXPECT_THROW(FindPortFriendlyName("\\System\\CurrentControlSet\\Enum\\", "COM1"),
                 ERegistryException);
}

TEST(ParseComPort, TheNumberAfterTheFirstComUpToTheFirstBlank) {
    const struct {
        const char* line;
        int number;
    } cases[] = {
        {"COM12 = USB Serial Port (COM12)", 12},
        {"COM3", 3},
        {"COM1 = ", 1},
        {"COM7 = COM9", 7},
        {"xCOM5 = Port (COM5)", 5},
        {"COM0042 = ", 42},
        {"", -1},
        {"LPT1 = Printer Port", -1},
        {"com3 = lower case", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseComPort(c.line), c.number) << c.line;
}

TEST(ParseComPort, TextAfterComThatIsNoDecimalNumberRaisesAnError) {
    for (const char* line :
         {"COM = Port", "COM", "COMx = Port", "COM1x = Port", "COM 1 = Port", "COM0x1F = Port",
          "COM$1F = Port", "COM99999999999 = Port", "COM3\t= tab"}) {
        EXPECT_THROW(ParseComPort(line), std::invalid_argument) << line;
    }
    try {
        ParseComPort("COMx = Port");
        FAIL();
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "'x' is not a valid integer value");
    }
}

} // namespace
