// The machine's serial ports as a read-only HKEY_LOCAL_MACHINE tree, laid out as the
// Windows registry lays them out, so that the serial port listing reads them there:
//
//     HARDWARE\DEVICEMAP\SERIALCOMM
//         "<device path>"="COMn"              one value per port
//     System\CurrentControlSet\Enum\<bus>\<device id>\<tty name>
//         "FriendlyName"="<description> (COMn)"
//         Device Parameters: "PortName"="COMn"
//
// The ports are the COM numbers of the COM port map (the one the link library
// resolves ComPort with) whose device exists: a serial port the kernel reports with
// a UART, a USB serial adapter, or whatever character device a dosdevices link
// names, such as the board emulator's pseudo-terminal. Only ports on hardware get a
// device key; <bus> is "USB" (<device id> "VID_xxxx&PID_xxxx") or the upper-cased
// subsystem of the hardware device ("PNP", "PCI", ...). The description comes from
// the udev database (the model name), else from sysfs (a USB device's product
// string), else it is the kernel's name of the tty ("ttyS0").
#pragma once

#include "platform/Registry.h"

#include <memory>
#include <string>
#include <vector>

struct TSerialPortEntry {
    int ComNumber = 0;
    // The device of the COM number in the COM port map (a dosdevices link or /dev/...).
    std::string Device;
    // Empty for a port without hardware (a pseudo-terminal): no device key.
    std::string Bus;
    std::string DeviceId;
    std::string TtyName;
    std::string Description;
};

// The ports of this machine now, by ascending COM number.
std::vector<TSerialPortEntry> MachineSerialPorts();
// The HKEY_LOCAL_MACHINE tree of these ports.
std::shared_ptr<const TRegKey> SerialPortTree(const std::vector<TSerialPortEntry>& ports);
// Makes HKEY_LOCAL_MACHINE the view of this machine's ports, built anew at every
// open of a key, so that it always shows the ports as they are.
void UseMachineSerialPorts();
