#include "startup/ProcessSettings.h"

#include <charconv>

TProcessSettings Globals;

namespace {

// Text that is not a whole decimal integer gives 0, like the original's
// conversion with a default.
int32_t IntegerOrZero(const std::string& text) {
    std::string_view digits(text);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return 0;
    return value;
}

bool BeginsWith(const std::string& arg, std::string_view prefix) {
    return arg.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

void ParseCommandLine(const std::vector<std::string>& args, TProcessSettings& settings) {
    for (const std::string& arg : args) {
        // The switches in their matching order; the first that matches wins.
        if (arg == "-online") {
            settings.SwitchOnline = true;
        } else if (BeginsWith(arg, "-log")) {
            settings.LogLevel = IntegerOrZero(arg.substr(4));
        } else if (BeginsWith(arg, "-bfudp")) {
            settings.LinkAddress = arg.substr(6);
            settings.SwitchBfUdp = true;
        } else if (BeginsWith(arg, "-bftcp")) {
            settings.LinkAddress = arg.substr(6);
            settings.SwitchBfTcp = true;
        } else if (BeginsWith(arg, "-tcpip")) {
            settings.LinkAddress = arg.substr(6);
            settings.SwitchTcpIp = true;
        } else if (BeginsWith(arg, "-pwr")) {
            settings.LogonPassword = arg.substr(4);
        } else if (BeginsWith(arg, "-usr")) {
            settings.LogonUser = arg.substr(4);
        } else if (BeginsWith(arg, "-brdpsw")) {
            settings.BoardPassword = arg.substr(7);
        } else if (arg == "-connect") {
            settings.SwitchConnect = true;
        } else if (arg == "-newprotocol") {
            settings.SwitchNewProtocol = true;
        }
    }
}
