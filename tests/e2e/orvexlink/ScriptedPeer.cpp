#include "ScriptedPeer.h"

#include "BoardProcess.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

const char* CarrierName(Carrier carrier) {
    switch (carrier) {
    case Carrier::Tcp:
        return "tcp";
    case Carrier::Udp:
        return "udp";
    case Carrier::Serial:
        return "serial";
    }
    return "?";
}

namespace {

// Waits up to 50 ms for input, so that the serving thread notices its end.
bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 50) > 0 && (p.revents & POLLIN);
}

int LoopbackSocket(int type, int& port) {
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot bind a loopback socket");
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

ScriptedPeer::ScriptedPeer(Carrier carrier, Answer answer, const std::filesystem::path& dosDevices)
    : carrier_(carrier), answer_(std::move(answer)) {
    switch (carrier_) {
    case Carrier::Tcp:
        fd_ = LoopbackSocket(SOCK_STREAM, port_);
        listen(fd_, 4);
        break;
    case Carrier::Udp:
        fd_ = LoopbackSocket(SOCK_DGRAM, port_);
        break;
    case Carrier::Serial: {
        fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0)
            throw std::runtime_error("cannot open a pseudo-terminal");
        const std::string slave = ptsname(fd_);
        slave_ = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
        std::filesystem::create_directories(dosDevices);
        std::filesystem::remove(dosDevices / "com9");
        std::filesystem::create_symlink(slave, dosDevices / "com9");
        break;
    }
    }
    thread_ = std::thread([this] { Serve(); });
}

ScriptedPeer::~ScriptedPeer() {
    stop_ = true;
    thread_.join();
    if (slave_ >= 0)
        close(slave_);
    close(fd_);
}

TConnParams ScriptedPeer::Params() const {
    if (carrier_ != Carrier::Serial)
        return pylox::test::LoopbackParams(carrier_ == Carrier::Tcp ? 3 : 5, port_);
    TConnParams params{};
    params.Baud = 38400;
    params.DataBits = 8;
    params.ComPort = 9;
    params.Kind = 1;
    return params;
}

void ScriptedPeer::Reply(int fd, const std::vector<uint8_t>& received) {
    const std::vector<uint8_t> reply = answer_(received);
    if (!reply.empty() && write(fd, reply.data(), reply.size()) < 0)
        return; // the library went away; the next connection gets its own reply
}

void ScriptedPeer::Serve() {
    uint8_t buffer[1024];
    int connection = -1;
    while (!stop_) {
        if (carrier_ == Carrier::Tcp) {
            // One connection at a time; a new one (a re-opened link) replaces it.
            if (Readable(fd_)) {
                if (connection >= 0)
                    close(connection);
                connection = accept(fd_, nullptr, nullptr);
            }
            if (connection >= 0 && Readable(connection)) {
                const ssize_t n = read(connection, buffer, sizeof(buffer));
                if (n <= 0) {
                    close(connection);
                    connection = -1;
                } else {
                    Reply(connection, {buffer, buffer + n});
                }
            }
        } else if (carrier_ == Carrier::Udp) {
            if (!Readable(fd_))
                continue;
            sockaddr_in from{};
            socklen_t length = sizeof(from);
            const ssize_t n = recvfrom(fd_, buffer, sizeof(buffer), 0,
                                       reinterpret_cast<sockaddr*>(&from), &length);
            if (n <= 0)
                continue;
            const std::vector<uint8_t> reply = answer_({buffer, buffer + n});
            if (!reply.empty())
                sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from),
                       length);
        } else if (Readable(fd_)) {
            const ssize_t n = read(fd_, buffer, sizeof(buffer));
            if (n > 0)
                Reply(fd_, {buffer, buffer + n});
        }
    }
    if (connection >= 0)
        close(connection);
}
