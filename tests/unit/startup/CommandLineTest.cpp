#include "startup/ProcessSettings.h"

#include <gtest/gtest.h>

namespace {

TProcessSettings Parse(const std::vector<std::string>& args) {
    TProcessSettings settings;
    ParseCommandLine(args, settings);
    return settings;
}

struct ValueCase {
    std::vector<std::string> args;
    std::string linkAddress, logonUser, logonPassword, boardPassword;
    int32_t logLevel;
};

TEST(CommandLine, ValuesFollowTheirSwitchDirectly) {
    const ValueCase cases[] = {
        {{"-usrtecnico"}, "", "tecnico", "", "", 0},
        {{"-pwr a b "}, "", "", " a b ", "", 0}, // neither trimmed nor checked
        {{"-usr"}, "", "", "", "", 0},           // the bare switch gives an empty value
        {{"-brdpsw480917"}, "", "", "", "480917", 0},
        {{"-tcpip10.0.0.7:3001"}, "10.0.0.7:3001", "", "", "", 0},
        {{"-tcpip-tcpip"}, "-tcpip", "", "", "", 0}, // only the first occurrence goes
        {{"-log2"}, "", "", "", "", 2},
        {{"-log"}, "", "", "", "", 0},
        {{"-logfile"}, "", "", "", "", 0},
        {{"-log2x"}, "", "", "", "", 0},
        {{"-log-3"}, "", "", "", "", -3},
        {{"-log99999999999"}, "", "", "", "", 0}, // out of range is not an integer
        {{"-log5", "-log"}, "", "", "", "", 0},   // the later argument wins
        {{"-usra", "-usrb"}, "", "b", "", "", 0},
        {{"-tcpiphost:1", "-bfudphost:2"}, "host:2", "", "", "", 0},
    };
    for (const auto& c : cases) {
        const auto s = Parse(c.args);
        SCOPED_TRACE(c.args.front());
        EXPECT_EQ(s.LinkAddress, c.linkAddress);
        EXPECT_EQ(s.LogonUser, c.logonUser);
        EXPECT_EQ(s.LogonPassword, c.logonPassword);
        EXPECT_EQ(s.BoardPassword, c.boardPassword);
        EXPECT_EQ(s.LogLevel, c.logLevel);
    }
}

TEST(CommandLine, WholeArgumentSwitchesMatchExactly) {
    auto s = Parse({"-online", "-connect", "-newprotocol"});
    EXPECT_TRUE(s.SwitchOnline);
    EXPECT_TRUE(s.SwitchConnect);
    EXPECT_TRUE(s.SwitchNewProtocol);

    s = Parse({"-Online", "-ONLINE", "-connectx", "-connect ", "-newprotocol1", "online"});
    EXPECT_FALSE(s.SwitchOnline);
    EXPECT_FALSE(s.SwitchConnect);
    EXPECT_FALSE(s.SwitchNewProtocol);
}

TEST(CommandLine, AddressSwitchesShareTheAddressAndKeepTheirFlags) {
    const auto s = Parse({"-bftcpa:1", "-tcpipb:2", "-bfudpc:3"});
    EXPECT_TRUE(s.SwitchBfTcp);
    EXPECT_TRUE(s.SwitchTcpIp);
    EXPECT_TRUE(s.SwitchBfUdp);
    EXPECT_EQ(s.LinkAddress, "c:3");
}

TEST(CommandLine, UnknownAndMisspelledArgumentsAreIgnored) {
    const auto s = Parse({"--help", "-TCPIPx", "-us", "x", "", "-Log3"});
    const TProcessSettings none;
    EXPECT_EQ(s.LinkAddress, none.LinkAddress);
    EXPECT_EQ(s.LogonUser, none.LogonUser);
    EXPECT_EQ(s.LogLevel, 0);
    EXPECT_FALSE(s.SwitchTcpIp);
}

TEST(CommandLine, SwitchesAreTestedInTheirOrder) {
    // "-logon..." begins with "-log", so it is a log level, not anything else.
    auto s = Parse({"-logonline"});
    EXPECT_FALSE(s.SwitchOnline);
    EXPECT_EQ(s.LogLevel, 0);
    // "-bftcp" is tested after "-bfudp"; neither swallows the other.
    s = Parse({"-bfudpx:1"});
    EXPECT_TRUE(s.SwitchBfUdp);
    EXPECT_FALSE(s.SwitchBfTcp);
}

} // namespace
