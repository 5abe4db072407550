// Shared display helpers: board identity, version words, the error box; and the
// listing of the machine's serial ports from HKEY_LOCAL_MACHINE.
#pragma once

#include "link/Tpyloxdata.h"

#include <QString>

#include <cstdint>
#include <string>

// 14 upper-case hexadecimal digits, Id8 then Id16 then Id32, dotted 2.3.3.3.3.
std::string FormatBoardId(const TBoardId& id);
// Four decimal bytes, most significant first, joined by ".".
std::string FormatVersion(uint32_t version);

// Sounds the exclamation beep and shows the error box with one OK button; returns
// when the user has closed it. A "\r" in the text breaks the line.
void ShowErrorBox(const QString& message);

// The serial ports of the device map "HARDWARE\DEVICEMAP\SERIALCOMM", in the order
// the registry enumerates them, one line each: port name, " = ", friendly name,
// "\r\n". Empty when the device map cannot be opened. A value that is not a text
// raises ERegistryException.
std::string ListSerialPorts();
// Depth-first search below keyPath (ending in a backslash) of HKEY_LOCAL_MACHINE for
// the first key whose "Device Parameters" hold "PortName" equal to portName; its
// "FriendlyName", or empty. A key with "Device Parameters" is not searched deeper.
std::string FindPortFriendlyName(const std::string& keyPath, const std::string& portName);
// The number after the first "COM" of a port line, up to the first blank; -1 when
// the line holds no "COM". Raises std::invalid_argument when that is no decimal
// integer.
int ParseComPort(const std::string& line);
