// The process-wide settings: set from the command line at start and by the logon,
// read by the start window, the monitoring window and the options window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TProcessSettings {
    bool SwitchOnline = false;
    bool SwitchConnect = false;
    bool SwitchNewProtocol = false;
    bool SwitchTcpIp = false;
    bool SwitchBfUdp = false;
    bool SwitchBfTcp = false;
    std::string LinkAddress;
    int32_t LogLevel = 0;
    std::string BoardPassword;
    std::string LogonUser;
    std::string LogonPassword;
    int32_t LoggedUser = 0; // 1 to 3, 99 for the master logon, 0 when nobody logged on
};

extern TProcessSettings Globals;

// Reads the arguments (the program name excluded), as 8-bit texts, into settings.
void ParseCommandLine(const std::vector<std::string>& args, TProcessSettings& settings);
