#include "Transport.h"

#include "ComPortMap.h"
#include "LinkLog.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace orvexlink {

std::string FieldText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

namespace {

int RemainingMs(Deadline deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Waits until fd is ready for the events; false when the deadline passed.
bool WaitFor(int fd, short events, Deadline deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, RemainingMs(deadline));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// A carrier over one file descriptor: serial lines and TCP streams.
class FdTransport : public Transport {
public:
    ~FdTransport() override { FdTransport::Close(); }

    void Close() override {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool IsOpen() const override { return fd_ >= 0; }

    bool Send(const uint8_t* data, std::size_t size, Deadline deadline) override {
        std::size_t sent = 0;
        while (sent < size) {
            // A socket whose peer is gone must fail the write, not raise SIGPIPE
            // in the process that loaded us.
            const ssize_t n = socket_ ? ::send(fd_, data + sent, size - sent, MSG_NOSIGNAL)
                                      : ::write(fd_, data + sent, size - sent);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                if (!WaitFor(fd_, POLLOUT, deadline)) {
                    lastError_ = "send timed out";
                    return false;
                }
            } else {
                lastError_ = ErrnoText("send");
                return false;
            }
        }
        return true;
    }

    long Receive(uint8_t* buffer, std::size_t size, Deadline deadline) override {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n > 0)
                return n;
            if (n == 0) {
                lastError_ = "closed by the peer";
                return -1;
            }
            if (errno != EAGAIN && errno != EINTR) {
                lastError_ = ErrnoText("receive");
                return -1;
            }
            if (!WaitFor(fd_, POLLIN, deadline))
                return 0;
        }
    }

    void Drain() override { ReadPending(nullptr); }

protected:
    // Reads whatever has arrived (into *kept when given). A peer that hung up or a
    // line that failed since the last request closes the link here, so that the
    // request about to be sent opens it again instead of failing on it.
    void ReadPending(std::string* kept) {
        uint8_t scratch[256];
        ssize_t n = -1; // always set by the first read; GCC cannot see that under ASan
        while (fd_ >= 0 && (n = ::read(fd_, scratch, sizeof(scratch))) > 0)
            if (kept)
                kept->append(reinterpret_cast<char*>(scratch), static_cast<std::size_t>(n));
        if (fd_ >= 0 && (n == 0 || (errno != EAGAIN && errno != EINTR))) {
            lastError_ = n == 0 ? "closed by the peer" : ErrnoText("receive");
            Close();
        }
    }

    int fd_ = -1;
    bool socket_ = false;
};

speed_t SpeedOf(int32_t baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B38400;
    }
}

tcflag_t DataBitsOf(int32_t bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

class SerialTransport : public FdTransport {
public:
    SerialTransport(const TConnParams& params, LinkLog& log)
        : device_(ComPortDevice(params.ComPort)), baud_(params.Baud), dataBits_(params.DataBits),
          log_(log) {}

    bool Open(Deadline) override {
        Close();
        if (device_.empty()) {
            lastError_ = "no device for this COM port";
            return false;
        }
        fd_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            lastError_ = ErrnoText(device_.c_str());
            return false;
        }
        termios tio{};
        if (tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
            tio.c_cflag |= DataBitsOf(dataBits_) | CLOCAL | CREAD | HUPCL;
            cfsetispeed(&tio, SpeedOf(baud_));
            cfsetospeed(&tio, SpeedOf(baud_));
            tcsetattr(fd_, TCSANOW, &tio);
            tcflush(fd_, TCIOFLUSH);
        }
        log_.Write(kLogEvents, "serial line " + device_ + " open");
        return true;
    }

protected:
    std::string device_;
    int32_t baud_;
    int32_t dataBits_;
    LinkLog& log_;
};

// A Hayes modem on a serial line: initialise, dial, wait for CONNECT.
class ModemTransport : public SerialTransport {
public:
    ModemTransport(const TConnParams& params, LinkLog& log)
        : SerialTransport(params, log),
          init_(FieldText(params.ModemInit, sizeof(params.ModemInit))),
          number_(FieldText(params.PhoneNumber, sizeof(params.PhoneNumber))),
          dialOption_(params.DialOption) {}

    bool Open(Deadline deadline) override {
        if (!SerialTransport::Open(deadline))
            return false;
        if (!init_.empty() && !Command(init_, "OK", deadline)) {
            Close();
            return false;
        }
        // A printable DialOption is the dial modifier after ATD (119 'w': wait for dial tone).
        std::string dial = "ATD";
        if (dialOption_ >= 0x21 && dialOption_ < 0x7F)
            dial += static_cast<char>(dialOption_);
        dial += number_;
        if (!Command(dial, "CONNECT", deadline)) {
            Close();
            return false;
        }
        log_.Write(kLogEvents, "modem connected to " + number_);
        return true;
    }

    // A carrier lost between two requests shows in what is thrown away.
    void Drain() override {
        std::string pending;
        ReadPending(&pending);
        if (fd_ >= 0 && pending.find("NO CARRIER") != std::string::npos) {
            log_.Write(kLogEvents, "modem: carrier lost");
            Close();
        }
    }

    // A modem that lost its carrier says so on the line; the link is then broken
    // and the next request dials again.
    long Receive(uint8_t* buffer, std::size_t size, Deadline deadline) override {
        const long n = SerialTransport::Receive(buffer, size, deadline);
        if (n > 0) {
            static constexpr std::string_view kNoCarrier = "NO CARRIER";
            const std::string_view text(reinterpret_cast<const char*>(buffer),
                                        static_cast<std::size_t>(n));
            if (text.find(kNoCarrier) != std::string_view::npos) {
                lastError_ = "modem: NO CARRIER";
                return -1;
            }
        }
        return n;
    }

private:
    // Sends an AT command and waits for the line that begins with the expected word.
    bool Command(const std::string& command, const std::string& expected, Deadline deadline) {
        const std::string line = command + "\r";
        if (!Send(reinterpret_cast<const uint8_t*>(line.data()), line.size(), deadline))
            return false;
        std::string pending;
        uint8_t buffer[128];
        for (;;) {
            const long n = Receive(buffer, sizeof(buffer), deadline);
            if (n <= 0) {
                if (n == 0)
                    lastError_ = "modem: no " + expected + " to " + command;
                return false;
            }
            pending.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
            std::size_t end;
            while ((end = pending.find_first_of("\r\n")) != std::string::npos) {
                const std::string reply = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (reply.rfind(expected, 0) == 0)
                    return true;
                for (const char* failure :
                     {"ERROR", "NO CARRIER", "BUSY", "NO DIALTONE", "NO ANSWER"})
                    if (reply.rfind(failure, 0) == 0) {
                        lastError_ = "modem: " + reply;
                        return false;
                    }
            }
        }
    }

    std::string init_;
    std::string number_;
    uint8_t dialOption_;
};

addrinfo* Resolve(const std::string& host, int32_t port, int type, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = type;
    addrinfo* result = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &result); rc != 0) {
        error = "resolve " + host + ": " + gai_strerror(rc);
        return nullptr;
    }
    return result;
}

class TcpTransport : public FdTransport {
public:
    TcpTransport(const TConnParams& params, LinkLog& log)
        : host_(FieldText(params.HostAddress, sizeof(params.HostAddress))), port_(params.Port),
          log_(log) {}

    bool Open(Deadline deadline) override {
        Close();
        addrinfo* addresses = Resolve(host_, port_, SOCK_STREAM, lastError_);
        if (!addresses)
            return false;
        for (addrinfo* a = addresses; a && fd_ < 0; a = a->ai_next) {
            fd_ = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                           a->ai_protocol);
            if (fd_ < 0)
                continue;
            if (::connect(fd_, a->ai_addr, a->ai_addrlen) != 0 && !Connected(deadline)) {
                lastError_ = ErrnoText("connect");
                Close();
            }
        }
        freeaddrinfo(addresses);
        if (fd_ < 0)
            return false;
        socket_ = true;
        const int one = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
        log_.Write(kLogEvents, "TCP connected to " + host_ + ":" + std::to_string(port_));
        return true;
    }

private:
    bool Connected(Deadline deadline) {
        if (errno != EINPROGRESS || !WaitFor(fd_, POLLOUT, deadline))
            return false;
        int error = 0;
        socklen_t length = sizeof(error);
        getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
        errno = error;
        return error == 0;
    }

    std::string host_;
    int32_t port_;
    LinkLog& log_;
};

// Every request goes out as one datagram to the (broadcast) address; the answer
// is taken from whichever address it comes, since the board answers from its own.
class UdpTransport : public Transport {
public:
    UdpTransport(const TConnParams& params, LinkLog& log)
        : host_(FieldText(params.HostAddress, sizeof(params.HostAddress))), port_(params.Port),
          log_(log) {}
    ~UdpTransport() override { UdpTransport::Close(); }

    bool Open(Deadline) override {
        Close();
        addrinfo* addresses = Resolve(host_, port_, SOCK_DGRAM, lastError_);
        if (!addresses)
            return false;
        fd_ = ::socket(addresses->ai_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd_ >= 0) {
            std::memcpy(&target_, addresses->ai_addr, addresses->ai_addrlen);
            targetLength_ = addresses->ai_addrlen;
            const int one = 1;
            setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof(one));
        } else {
            lastError_ = ErrnoText("socket");
        }
        freeaddrinfo(addresses);
        if (fd_ >= 0)
            log_.Write(kLogEvents, "UDP link to " + host_ + ":" + std::to_string(port_));
        return fd_ >= 0;
    }

    void Close() override {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool IsOpen() const override { return fd_ >= 0; }

    bool Send(const uint8_t* data, std::size_t size, Deadline) override {
        if (::sendto(fd_, data, size, 0, reinterpret_cast<const sockaddr*>(&target_),
                     targetLength_) != static_cast<ssize_t>(size)) {
            lastError_ = ErrnoText("sendto");
            return false;
        }
        return true;
    }

    long Receive(uint8_t* buffer, std::size_t size, Deadline deadline) override {
        for (;;) {
            const ssize_t n = ::recvfrom(fd_, buffer, size, 0, nullptr, nullptr);
            if (n > 0)
                return n;
            if (n == 0)
                continue; // an empty datagram carries nothing
            if (errno != EAGAIN && errno != EINTR) {
                lastError_ = ErrnoText("recvfrom");
                return -1;
            }
            if (!WaitFor(fd_, POLLIN, deadline))
                return 0;
        }
    }

    void Drain() override {
        uint8_t scratch[512];
        while (fd_ >= 0 && ::recv(fd_, scratch, sizeof(scratch), 0) >= 0) {
        }
    }

private:
    std::string host_;
    int32_t port_;
    LinkLog& log_;
    int fd_ = -1;
    sockaddr_storage target_{};
    socklen_t targetLength_ = 0;
};

} // namespace

std::unique_ptr<Transport> MakeTransport(const TConnParams& params, LinkLog& log) {
    switch (params.Kind) {
    case 1:
        return std::make_unique<SerialTransport>(params, log);
    case 2:
        return std::make_unique<ModemTransport>(params, log);
    case 3:
    case 4:
        return std::make_unique<TcpTransport>(params, log);
    case 5:
        return std::make_unique<UdpTransport>(params, log);
    default:
        return nullptr;
    }
}

} // namespace orvexlink
