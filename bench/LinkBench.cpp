// Link figures side by side on one machine: the library's request round trip against
// a raw ping-pong of the same bytes over TCP, UDP and a pseudo-terminal, and the poll
// rate of the connection thread against its ideal, for 1, 10 and 100 sessions.
#include "BenchSupport.h"
#include "BoardProcess.h"
#include "TestEnvironment.h"
#include "link/Orvexcominterfacelib.h"
#include "link/Tpylox.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace pylox::bench;
using pylox::test::BoardProcess;
using pylox::test::LoopbackParams;

// A status request and its answer on the wire, current variant.
constexpr std::size_t kRequestBytes = 12;
constexpr std::size_t kAnswerBytes = 12 + 71;

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

// Answers rounds requests on fd with answers of the frame sizes.
void Answer(int fd, bool datagram, int rounds) {
    char in[kRequestBytes], out[kAnswerBytes] = {};
    for (int i = 0; i < rounds; ++i) {
        if (datagram ? recv(fd, in, sizeof in, 0) != sizeof in : !ReadAll(fd, in, sizeof in))
            return;
        if (datagram ? send(fd, out, sizeof out, 0) != sizeof out : !WriteAll(fd, out, sizeof out))
            return;
    }
}

// Where the far end of a raw ping-pong runs. The board is always another process
// (the emulator here, a device on a real line), so the like-for-like figure is a
// far end in a process of its own; a thread of this process, which the kernel
// switches to more cheaply, gives the lower limit beside it.
enum class FarEnd { Process, Thread };

// Median milliseconds of one exchange of a request for an answer of the frame sizes
// between two plain file descriptors.
double PingPong(int near, int far, bool datagram, int rounds, FarEnd where) {
    std::thread peer;
    pid_t child = -1;
    if (where == FarEnd::Thread) {
        peer = std::thread(Answer, far, datagram, rounds);
    } else {
        child = fork();
        Check(child >= 0, "fork");
        if (child == 0) {
            Answer(far, datagram, rounds);
            _exit(0);
        }
    }
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
    if (peer.joinable())
        peer.join();
    if (child > 0)
        waitpid(child, nullptr, 0);
    return Percentile(times, 0.5);
}

double RawTcp(int rounds, FarEnd where) {
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
    const double ms = PingPong(near, far, false, rounds, where);
    close(near), close(far), close(listener);
    return ms;
}

double RawUdp(int rounds, FarEnd where) {
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
    const double ms = PingPong(fds[0], fds[1], true, rounds, where);
    close(fds[0]), close(fds[1]);
    return ms;
}

double RawPty(int rounds, FarEnd where) {
    int master = -1, slave = -1;
    Check(openpty(&master, &slave, nullptr, nullptr, nullptr) == 0, "openpty");
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    const double ms = PingPong(slave, master, false, rounds, where);
    close(master), close(slave);
    return ms;
}

struct SessionFigures {
    double pollsPerSecond;
    double cpuShare;
};

// One monitoring session of the connection thread, measured from its first status on.
SessionFigures Session(BoardProcess& board, double seconds) {
    TPylox pylox(LoopbackParams(3, board.TcpPort()), "480917");
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
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as it is measured
    try {
        pylox::test::TempDir home;
        UseHome(home.path());
        Check(orvex::LoadOrvexLib({(pylox::test::BinDir() / "libOrvexLink.so").string()}) == 0,
              "load");
        orvex::ociSetProtocol(1);
        BoardProcess board({"--tcp", "0", "--udp", "0", "--pty", "--pty-link",
                            (home.path() / "Orvex" / "dosdevices" / "com1").string()});

        std::printf("%-22s %10s %12s %8s %12s\n", "round trip (median ms)", "library",
                    "raw process", "ratio", "raw thread");
        const struct {
            const char* name;
            uint8_t kind;
            int port;
            double (*raw)(int, FarEnd);
        } carriers[] = {{"TCP loopback", 3, board.TcpPort(), RawTcp},
                        {"UDP loopback", 5, board.UdpPort(), RawUdp},
                        {"pseudo-terminal", 1, 0, RawPty}};
        double rawTcp = 0;
        for (const auto& c : carriers) {
            const double process = c.raw(rounds, FarEnd::Process);
            const double thread = c.raw(rounds, FarEnd::Thread);
            const double lib = LibraryRoundTrip(LoopbackParams(c.kind, c.port), rounds);
            std::printf("%-22s %10.4f %12.4f %8.2f %12.4f\n", c.name, lib, process, lib / process,
                        thread);
            if (c.kind == 3)
                rawTcp = process;
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
        std::fprintf(stderr, "pylox-bench-link: %s\n", e.what());
        return 1;
    }
    return 0;
}
