// Link figures side by side on one machine: the library's request round trip against
// a raw ping-pong of the same bytes over TCP, UDP and a pseudo-terminal, and the poll
// rate of the connection thread against its ideal, for 1, 10 and 100 sessions.
#include "BoardProcess.h"
#include "TestEnvironment.h"
#include "link/Orvexcominterfacelib.h"
#include "link/Tpylox.h"
#include "link/Tpyloxmsg.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using pylox::test::BoardProcess;

// A status request and its answer on the wire, current variant.
constexpr std::size_t kRequestBytes = 12;
constexpr std::size_t kAnswerBytes = 12 + 71;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

bool ReadAll(int fd, char* buf, std::size_t n) {
    while (n > 0) {
        const ssize_t got = read(fd, buf, n);
        if (got <= 0)
            return false;
        buf += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

bool WriteAll(int fd, const char* buf, std::size_t n) {
    while (n > 0) {
        const ssize_t put = write(fd, buf, n);
        if (put <= 0)
            return false;
        buf += put;
        n -= static_cast<std::size_t>(put);
    }
    return true;
}

// Median milliseconds of one exchange of a request for an answer of the frame sizes
// between two plain file descriptors, the far one answered by a thread of its own.
double PingPong(int near, int far, bool datagram, int rounds) {
    std::thread peer([&] {
        char in[kRequestBytes], out[kAnswerBytes] = {};
        for (int i = 0; i < rounds; ++i) {
            if (datagram ? recv(far, in, sizeof in, 0) != sizeof in : !ReadAll(far, in, sizeof in))
                return;
            if (datagram ? send(far, out, sizeof out, 0) != sizeof out
                         : !WriteAll(far, out, sizeof out))
                return;
        }
    });
    std::vector<double> times;
    char req[kRequestBytes] = {}, ans[kAnswerBytes];
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        const bool ok = datagram
                            ? send(near, req, sizeof req, 0) == sizeof req &&
                                  recv(near, ans, sizeof ans, 0) == sizeof ans
                            : WriteAll(near, req, sizeof req) && ReadAll(near, ans, sizeof ans);
        Check(ok, "ping-pong");
        times.push_back(Ms(Clock::now() - start));
    }
    peer.join();
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double RawTcp(int rounds) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    Check(bind(listener, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
              listen(listener, 1) == 0 &&
              getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) == 0,
          "listen");
    const int near = socket(AF_INET, SOCK_STREAM, 0);
    Check(connect(near, reinterpret_cast<sockaddr*>(&addr), len) == 0, "connect");
    const int far = accept(listener, nullptr, nullptr);
    const int one = 1;
    setsockopt(near, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    setsockopt(far, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const double ms = PingPong(near, far, false, rounds);
    close(near), close(far), close(listener);
    return ms;
}

double RawUdp(int rounds) {
    int fds[2];
    sockaddr_in addr[2]{};
    socklen_t len = sizeof addr[0];
    for (int i = 0; i < 2; ++i) {
        fds[i] = socket(AF_INET, SOCK_DGRAM, 0);
        addr[i].sin_family = AF_INET;
        addr[i].sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        Check(bind(fds[i], reinterpret_cast<sockaddr*>(&addr[i]), len) == 0 &&
                  getsockname(fds[i], reinterpret_cast<sockaddr*>(&addr[i]), &len) == 0,
              "udp bind");
    }
    Check(connect(fds[0], reinterpret_cast<sockaddr*>(&addr[1]), len) == 0 &&
              connect(fds[1], reinterpret_cast<sockaddr*>(&addr[0]), len) == 0,
          "udp connect");
    const double ms = PingPong(fds[0], fds[1], true, rounds);
    close(fds[0]), close(fds[1]);
    return ms;
}

double RawPty(int rounds) {
    int master = -1, slave = -1;
    Check(openpty(&master, &slave, nullptr, nullptr, nullptr) == 0, "openpty");
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    const double ms = PingPong(slave, master, false, rounds);
    close(master), close(slave);
    return ms;
}

TConnParams Params(uint8_t kind, int port) {
    TConnParams params{};
    params.ComPort = 7;
    params.Baud = 38400;
    params.DataBits = 8;
    std::strcpy(params.HostAddress, "127.0.0.1");
    params.Port = port;
    params.Kind = kind;
    return params;
}

// Median milliseconds of the library's status request against the emulator.
double LibraryRoundTrip(const TConnParams& params, int rounds) {
    Check(orvex::ociCreateNewConnection(&params) && orvex::ociWaitToConnect(10000),
          "library connect");
    std::vector<double> times;
    TPyloxMsg request, answer;
    for (int i = 0; i < rounds; ++i) {
        request.BuildStatusRequest();
        const auto start = Clock::now();
        Check(orvex::ociConnectedRequest(request.Frame(), answer.Frame()), "library request");
        times.push_back(Ms(Clock::now() - start));
    }
    orvex::ociDeleteConnection();
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long StatusRequests(BoardProcess& board) {
    const std::string stats = board.Control("stats");
    const auto at = stats.find(" 40=");
    return at == std::string::npos ? 0 : std::stol(stats.substr(at + 4));
}

long ResidentKb() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE) / 1024;
}

double CpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

struct SessionFigures {
    double pollsPerSecond;
    double cpuShare;
};

// One monitoring session of the connection thread, measured from its first status on.
SessionFigures Session(BoardProcess& board, double seconds) {
    TPylox pylox(Params(3, board.TcpPort()), "480917");
    pylox.Resume();
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!pylox.IsLinkUp()) {
        Check(Clock::now() < deadline && !pylox.HasFailed(), "session start");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const long before = StatusRequests(board);
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long polls = StatusRequests(board) - before;
    const double wall = Ms(Clock::now() - start) / 1000.0;
    return {static_cast<double>(polls) / wall, (CpuSeconds() - cpuBefore) / wall};
}

} // namespace

int main(int argc, char** argv) {
    const double pollSeconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int rounds = 2000;
    try {
        pylox::test::TempDir home;
        setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
        Check(orvex::LoadOrvexLib({(pylox::test::BinDir() / "libOrvexLink.so").string()}) == 0,
              "load");
        orvex::ociSetProtocol(1);
        BoardProcess board({"--tcp", "0", "--udp", "0", "--pty", "--pty-link",
                            (home.path() / "Orvex" / "dosdevices" / "com7").string()});

        std::printf("%-34s %10s %10s %8s\n", "round trip (median ms)", "library", "raw", "ratio");
        const double rawTcp = RawTcp(rounds);
        const struct {
            const char* name;
            uint8_t kind;
            int port;
            double raw;
        } carriers[] = {{"TCP loopback", 3, board.TcpPort(), rawTcp},
                        {"UDP loopback", 5, board.UdpPort(), RawUdp(rounds)},
                        {"pseudo-terminal", 1, 0, RawPty(rounds)}};
        for (const auto& c : carriers) {
            const double lib = LibraryRoundTrip(Params(c.kind, c.port), rounds);
            std::printf("%-34s %10.4f %10.4f %8.2f\n", c.name, lib, c.raw, lib / c.raw);
        }

        const double ideal = 1000.0 / (20.0 + rawTcp);
        std::printf("\nideal poll rate 1000 / (20 ms + %.4f ms) = %.2f /s\n", rawTcp, ideal);
        std::printf("%-10s %12s %8s %10s %12s\n", "session", "polls/s", "ratio", "CPU %", "RSS kB");
        const int marks[] = {1, 10, 100};
        int done = 0;
        for (const int mark : marks) {
            SessionFigures last{};
            while (done < mark) {
                // Only the sessions at the marks are measured at length.
                last = Session(board, done + 1 == mark ? pollSeconds : 0.2);
                ++done;
            }
            std::printf("%-10d %12.2f %8.3f %10.3f %12ld\n", mark, last.pollsPerSecond,
                        last.pollsPerSecond / ideal, last.cpuShare * 100.0, ResidentKb());
        }
        orvex::FreeOrvexLib();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pylox-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
