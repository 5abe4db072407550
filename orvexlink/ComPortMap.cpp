#include "ComPortMap.h"

#include <cstdlib>
#include <filesystem>

namespace orvexlink {

std::string DosDevicesFolder() {
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        base = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".config";
    else
        return {};
    return (base / "Orvex" / "dosdevices").string();
}

std::string ComPortDevice(int comPort) {
    if (const std::string folder = DosDevicesFolder(); !folder.empty()) {
        const auto link = std::filesystem::path(folder) / ("com" + std::to_string(comPort));
        std::error_code ec;
        if (std::filesystem::is_symlink(link, ec))
            return link.string();
    }
    if (comPort >= 1 && comPort <= 32)
        return "/dev/ttyS" + std::to_string(comPort - 1);
    if (comPort >= 33 && comPort <= 64)
        return "/dev/ttyUSB" + std::to_string(comPort - 33);
    if (comPort >= 65 && comPort <= kMaxComPort)
        return "/dev/ttyACM" + std::to_string(comPort - 65);
    return {};
}

} // namespace orvexlink
