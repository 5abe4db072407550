// pylox-board: a Pylox board on the far side of the link, for tests and demos.
#include "BoardServer.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: pylox-board [option...]\n"
    "\n"
    "Answers like a Pylox board over TCP, UDP and a pseudo-terminal.\n"
    "\n"
    "  --tcp PORT          listen for TCP links on PORT (0: any free port)\n"
    "  --host ADDRESS      TCP listening address (default 127.0.0.1)\n"
    "  --udp PORT          answer UDP datagrams on PORT (0: any free port)\n"
    "  --udp-bind ADDRESS  UDP address (default 127.0.0.1; a loopback address also\n"
    "                      hears broadcasts to 127.255.255.255)\n"
    "  --pty               open a pseudo-terminal as the board's serial line\n"
    "  --pty-link PATH     make PATH a symbolic link to the pseudo-terminal\n"
    "  --modem             put an emulated Hayes modem in front of the pseudo-terminal\n"
    "                      (implies --pty)\n"
    "  --state FILE        keep the committed configuration in FILE\n"
    "  --firmware A.B.C.D  firmware version to report (default 1.0.1.8)\n"
    "  --n-answer N        answer to the 'N' query (default 14)\n"
    "  --demo              run the demo scenario: every lamp changes over time\n"
    "  --control PATH      accept control commands on the Unix socket PATH\n"
    "  --no-stdin          do not read control commands from standard input\n"
    "  --help              show this help\n"
    "\n"
    "Without --tcp, --udp or --pty the board listens on TCP port 3000.\n"
    "It prints \"tcp PORT\", \"udp PORT\" and \"pty DEVICE\" for what it opened, then\n"
    "\"ready\". Control commands (one per line, one reply line each) are listed in\n"
    "docs/board-emulator.md and by the command \"help\".\n";

bool Number(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return *text && *end == '\0' && value >= low && value <= high;
}

bool Version(const char* text, uint32_t& version) {
    unsigned a, b, c, d;
    char extra;
    if (std::sscanf(text, "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) != 4 || a > 255 || b > 255 ||
        c > 255 || d > 255)
        return false;
    version = a << 24 | b << 16 | c << 8 | d;
    return true;
}

int Fail(const char* what, const std::string& option) {
    std::fprintf(stderr, "pylox-board: %s %s (see --help)\n", what, option.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    BoardOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--pty" || arg == "--modem" || arg == "--demo" || arg == "--no-stdin") {
            (arg == "--pty"     ? options.pty
             : arg == "--modem" ? options.modem
             : arg == "--demo"  ? options.demo
                                : options.stdinControl) = arg != "--no-stdin";
            continue;
        }
        if (i + 1 >= argc)
            return Fail("missing value or unknown option", arg);
        const char* value = argv[++i];
        long number = 0;
        if (arg == "--tcp" || arg == "--udp") {
            if (!Number(value, 0, 65535, number))
                return Fail("bad port for", arg);
            (arg == "--tcp" ? options.tcpPort : options.udpPort) = static_cast<int>(number);
        } else if (arg == "--n-answer") {
            if (!Number(value, 0, 255, number))
                return Fail("bad value for", arg);
            options.nAnswer = static_cast<uint8_t>(number);
        } else if (arg == "--firmware") {
            if (!Version(value, options.firmware))
                return Fail("bad version for", arg);
        } else if (arg == "--host") {
            options.host = value;
        } else if (arg == "--udp-bind") {
            options.udpBind = value;
        } else if (arg == "--pty-link") {
            options.ptyLink = value;
        } else if (arg == "--state") {
            options.stateFile = value;
        } else if (arg == "--control") {
            options.controlSocket = value;
        } else {
            return Fail("unknown option", arg);
        }
    }
    if (options.modem)
        options.pty = true;
    if (options.tcpPort < 0 && options.udpPort < 0 && !options.pty)
        options.tcpPort = 3000;

    BoardServer server(options);
    if (!server.Start())
        return 1;
    server.Run();
    return 0;
}
