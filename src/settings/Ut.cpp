#include "settings/Ut.h"

#include "platform/Dialogs.h"
#include "platform/Registry.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

std::string FormatBoardId(const TBoardId& id) {
    char digits[15];
    std::snprintf(digits, sizeof(digits), "%02X%04X%08X", static_cast<unsigned>(id.Id8),
                  static_cast<unsigned>(id.Id16), static_cast<unsigned>(id.Id32));
    std::string text(digits);
    // Each dot goes in at its position of the text grown by the dots before it.
    for (std::size_t position : {2u, 6u, 10u, 14u})
        text.insert(position, 1, '.');
    return text;
}

std::string FormatVersion(uint32_t version) {
    return std::to_string(version >> 24 & 0xFF) + '.' + std::to_string(version >> 16 & 0xFF) + '.' +
           std::to_string(version >> 8 & 0xFF) + '.' + std::to_string(version & 0xFF);
}

void ShowErrorBox(const QString& message) {
    Beep();
    MessageDlg(message, TMsgDlgType::Error);
}

namespace {

const std::string kDeviceMapKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
const std::string kEnumKey = "\\System\\CurrentControlSet\\Enum\\";

} // namespace

std::string ListSerialPorts() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly(kDeviceMapKey))
        return {};
    std::string lines;
    for (const std::string& name : reg.GetValueNames()) {
        const std::string port = reg.ReadString(name);
        lines += port + " = " + FindPortFriendlyName(kEnumKey, port) + "\r\n";
    }
    return lines;
}

std::string FindPortFriendlyName(const std::string& keyPath, const std::string& portName) {
    std::vector<std::string> subkeys;
    {
        TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(keyPath))
            subkeys = reg.GetKeyNames();
    }
    for (const std::string& name : subkeys) {
        const std::string key = keyPath + name + "\\";
        TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(key + "Device Parameters")) {
            if (reg.ReadString("PortName") != portName)
                continue;
            reg.CloseKey();
            reg.OpenKeyReadOnly(key);
            return reg.ReadString("FriendlyName");
        }
        if (reg.OpenKeyReadOnly(key) && reg.HasSubKeys()) {
            reg.CloseKey();
            std::string found = FindPortFriendlyName(key, portName);
            if (!found.empty())
                return found;
        }
    }
    return {};
}

int ParseComPort(const std::string& line) {
    const std::size_t com = line.find("COM");
    if (com == std::string::npos)
        return -1;
    std::string number = line.substr(com + 3);
    number = number.substr(0, number.find(' '));
    int value = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (number.empty() || error != std::errc() || stop != end)
        throw std::invalid_argument("'" + number + "' is not a valid integer value");
    return value;
}
