// The COM port map: which device a COM port number stands for on this machine.
// Shared by the link library and the tool's serial port listing.
#pragma once

#include <string>

namespace orvexlink {

// Highest COM number the map knows.
inline constexpr int kMaxComPort = 96;

// $XDG_CONFIG_HOME/Orvex/dosdevices (default ~/.config/Orvex/dosdevices).
std::string DosDevicesFolder();

// The device of COMn: the dosdevices link "comN" when there is one; otherwise
// COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31.
// Empty for a number outside 1 to 96 without a link.
std::string ComPortDevice(int comPort);

} // namespace orvexlink
