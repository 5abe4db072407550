#include "BoardServer.h"

#include "OrvexFraming.h"
#include "link/Tpyloxmsg.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) {
    gStop = 1;
}

constexpr auto kDemoPeriod = std::chrono::milliseconds(400);
constexpr auto kDialDelay = std::chrono::milliseconds(150);

void SetNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

bool ParseNumber(const std::string& text, long& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 0);
    return errno == 0 && *end == '\0';
}

uint32_t ParseVersionText(const std::string& text, bool& ok) {
    unsigned a, b, c, d;
    char extra;
    ok = std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) == 4 && a < 256 &&
         b < 256 && c < 256 && d < 256;
    return ok ? (a << 24 | b << 16 | c << 8 | d) : 0;
}

} // namespace

struct BoardServer::Link {
    Link(LinkKind k, int f) : kind(k), fd(f) {}
    LinkKind kind;
    int fd;
    orvexlink::FrameDecoder decoder{orvexlink::kProtocolAny};
    std::string line;         // control and modem command lines
    bool modemOnline = false; // modem: connected, carrying frames
    Clock::time_point connectAt{};
};

struct BoardServer::Pending {
    Clock::time_point due;
    int fd;
    bool datagram;
    sockaddr_storage peer;
    socklen_t peerLength;
    std::vector<uint8_t> bytes;
};

BoardServer::BoardServer(const BoardOptions& options)
    : options_(options), core_(options.stateFile) {
    core_.SetFirmware(options.firmware);
    core_.SetNAnswer(static_cast<uint8_t>(options.nAnswer));
}

BoardServer::~BoardServer() {
    for (auto& link : links_)
        ::close(link->fd);
    for (int fd : {tcpListener_, udpSocket_, controlListener_})
        if (fd >= 0)
            ::close(fd);
    if (!options_.controlSocket.empty())
        ::unlink(options_.controlSocket.c_str());
    if (!options_.ptyLink.empty())
        ::unlink(options_.ptyLink.c_str());
}

bool BoardServer::Start() {
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    const int one = 1;
    if (options_.tcpPort >= 0) {
        tcpListener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        setsockopt(tcpListener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(options_.tcpPort));
        if (inet_pton(AF_INET, options_.host.c_str(), &address.sin_addr) != 1 ||
            ::bind(tcpListener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(tcpListener_, 8) != 0) {
            std::fprintf(stderr, "pylox-board: tcp %s:%d: %s\n", options_.host.c_str(),
                         options_.tcpPort, std::strerror(errno));
            return false;
        }
        socklen_t length = sizeof(address);
        getsockname(tcpListener_, reinterpret_cast<sockaddr*>(&address), &length);
        std::printf("tcp %d\n", ntohs(address.sin_port));
    }
    if (options_.udpPort >= 0) {
        udpSocket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        setsockopt(udpSocket_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
        setsockopt(udpSocket_, SOL_SOCKET, SO_BROADCAST, &one, sizeof(one));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(options_.udpPort));
        if (inet_pton(AF_INET, options_.udpBind.c_str(), &address.sin_addr) != 1 ||
            ::bind(udpSocket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            std::fprintf(stderr, "pylox-board: udp %s:%d: %s\n", options_.udpBind.c_str(),
                         options_.udpPort, std::strerror(errno));
            return false;
        }
        socklen_t length = sizeof(address);
        getsockname(udpSocket_, reinterpret_cast<sockaddr*>(&address), &length);
        std::printf("udp %d\n", ntohs(address.sin_port));
    }
    if (options_.pty) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            std::perror("pylox-board: pty");
            return false;
        }
        const char* slaveName = ::ptsname(master);
        // Holding the slave open keeps the line alive while the tool closes and
        // reopens it, and lets the line be raw before the tool opens it.
        const int slave = ::open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        if (slave >= 0 && tcgetattr(slave, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(slave, TCSANOW, &tio);
        }
        SetNonBlocking(master);
        links_.push_back(std::make_unique<Link>(LinkKind::Pty, master));
        ptyLink_ = links_.back().get();
        std::printf("pty %s\n", slaveName);
        if (!options_.ptyLink.empty()) {
            ::unlink(options_.ptyLink.c_str());
            if (::symlink(slaveName, options_.ptyLink.c_str()) != 0) {
                std::perror("pylox-board: pty link");
                return false;
            }
        }
    }
    if (!options_.controlSocket.empty()) {
        controlListener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (options_.controlSocket.size() >= sizeof(address.sun_path)) {
            std::fprintf(stderr, "pylox-board: control socket path too long\n");
            return false;
        }
        std::strcpy(address.sun_path, options_.controlSocket.c_str());
        ::unlink(address.sun_path);
        if (::bind(controlListener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(controlListener_, 4) != 0) {
            std::perror("pylox-board: control socket");
            return false;
        }
    }
    if (options_.stdinControl) {
        SetNonBlocking(STDIN_FILENO);
        links_.push_back(std::make_unique<Link>(LinkKind::Control, STDIN_FILENO));
    }
    if (options_.demo)
        nextDemo_ = Clock::now();
    std::printf("ready\n");
    std::fflush(stdout);
    return true;
}

int BoardServer::PollTimeout() const {
    auto next = Clock::now() + std::chrono::seconds(1);
    if (options_.demo)
        next = std::min(next, nextDemo_);
    for (const auto& pending : pending_)
        next = std::min(next, pending->due);
    for (const auto& link : links_)
        if (link->connectAt != Clock::time_point{})
            next = std::min(next, link->connectAt);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, 1000));
}

void BoardServer::Run() {
    while (!quit_ && !gStop) {
        std::vector<pollfd> fds;
        for (int fd : {tcpListener_, udpSocket_, controlListener_})
            if (fd >= 0)
                fds.push_back({fd, POLLIN, 0});
        const std::size_t firstLink = fds.size();
        for (const auto& link : links_)
            fds.push_back({link->fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), PollTimeout()) < 0 && errno != EINTR)
            break;
        std::vector<Link*> readable;
        for (std::size_t i = firstLink; i < fds.size(); ++i)
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                readable.push_back(links_[i - firstLink].get());
        for (std::size_t i = 0; i < firstLink; ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            if (fds[i].fd == tcpListener_)
                Accept(tcpListener_, LinkKind::Tcp);
            else if (fds[i].fd == controlListener_)
                Accept(controlListener_, LinkKind::Control);
            else
                ReadDatagram();
        }
        for (Link* link : readable)
            if (std::any_of(links_.begin(), links_.end(), [&](auto& l) { return l.get() == link; }))
                Read(*link);
        const auto now = Clock::now();
        for (auto& link : links_)
            if (link->connectAt != Clock::time_point{} && link->connectAt <= now) {
                link->connectAt = {};
                link->modemOnline = true;
                const std::string reply = "\r\nCONNECT 38400\r\n";
                (void)!::write(link->fd, reply.data(), reply.size());
            }
        if (options_.demo && now >= nextDemo_) {
            DemoStep();
            nextDemo_ = now + kDemoPeriod;
        }
        FlushDue();
    }
}

void BoardServer::Accept(int listener, LinkKind kind) {
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (kind == LinkKind::Tcp) {
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    }
    links_.push_back(std::make_unique<Link>(kind, fd));
}

void BoardServer::CloseLink(Link& link) {
    if (&link == ptyLink_)
        return; // the pseudo-terminal stays for the next caller
    if (link.fd != STDIN_FILENO)
        ::close(link.fd);
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [&](auto& p) { return !p->datagram && p->fd == link.fd; }),
                   pending_.end());
    links_.erase(
        std::remove_if(links_.begin(), links_.end(), [&](auto& l) { return l.get() == &link; }),
        links_.end());
}

void BoardServer::Read(Link& link) {
    uint8_t buffer[1024];
    const ssize_t n = ::read(link.fd, buffer, sizeof(buffer));
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        CloseLink(link); // end of a peer or of stdin
        return;
    }
    if (link.kind == LinkKind::Control) {
        link.line.append(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = link.line.find('\n')) != std::string::npos) {
            std::string command = link.line.substr(0, end);
            link.line.erase(0, end + 1);
            if (!command.empty() && command.back() == '\r')
                command.pop_back();
            if (command.empty())
                continue;
            const std::string reply = Control(command) + "\n";
            if (link.fd == STDIN_FILENO) {
                std::fputs(reply.c_str(), stdout);
                std::fflush(stdout);
            } else {
                (void)!::write(link.fd, reply.data(), reply.size());
            }
        }
        return;
    }
    if (Clock::now() < silentUntil_)
        return; // a silent board hears nothing
    if (options_.modem && &link == ptyLink_ &&
        (!link.modemOnline || (n >= 2 && buffer[0] == 'A' && buffer[1] == 'T'))) {
        link.modemOnline = false;
        ModemInput(link, std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(n)));
        return;
    }
    link.decoder.Feed(buffer, static_cast<std::size_t>(n));
    OnFrames(link);
}

void BoardServer::ModemInput(Link& link, const std::string& bytes) {
    link.line += bytes;
    std::size_t end;
    while ((end = link.line.find_first_of("\r\n")) != std::string::npos) {
        std::string command = link.line.substr(0, end);
        link.line.erase(0, end + 1);
        if (command.empty())
            continue;
        for (char& c : command)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (command.rfind("ATD", 0) == 0) {
            link.connectAt = Clock::now() + kDialDelay;
            link.line.clear();
            return;
        }
        const std::string reply = command.rfind("AT", 0) == 0 ? "\r\nOK\r\n" : "\r\nERROR\r\n";
        (void)!::write(link.fd, reply.data(), reply.size());
    }
}

void BoardServer::OnFrames(Link& link) {
    TZelkBasicMsg request;
    int variant = orvexlink::kProtocolCurrent;
    while (link.decoder.Next(request, &variant))
        Respond(&link, request, variant, nullptr, 0);
}

void BoardServer::ReadDatagram() {
    uint8_t buffer[1024];
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof(peer);
    const ssize_t n = ::recvfrom(udpSocket_, buffer, sizeof(buffer), 0,
                                 reinterpret_cast<sockaddr*>(&peer), &peerLength);
    if (n <= 0 || Clock::now() < silentUntil_)
        return;
    orvexlink::FrameDecoder decoder(orvexlink::kProtocolAny);
    decoder.Feed(buffer, static_cast<std::size_t>(n));
    TZelkBasicMsg request;
    int variant = orvexlink::kProtocolCurrent;
    while (decoder.Next(request, &variant))
        Respond(nullptr, request, variant, &peer, peerLength);
}

void BoardServer::Respond(Link* link, const TZelkBasicMsg& request, int variant, const void* peer,
                          unsigned peerLength) {
    std::optional<TZelkBasicMsg> answer = core_.Answer(request);
    if (!answer)
        return;
    if (dropCount_ > 0) {
        --dropCount_;
        return;
    }
    if (wrongLengthCount_ > 0) {
        --wrongLengthCount_;
        answer->Length = static_cast<uint8_t>(answer->Length == 0 ? 1 : answer->Length - 1);
    }
    if (wrongCommandCount_ > 0) {
        --wrongCommandCount_;
        answer->Command = static_cast<uint8_t>(answer->Command ^ 0x01);
    }
    auto pending = std::make_unique<Pending>();
    pending->due = Clock::now();
    if (delayCount_ > 0) {
        --delayCount_;
        pending->due += std::chrono::milliseconds(delayMs_);
    }
    pending->datagram = link == nullptr;
    pending->fd = link ? link->fd : udpSocket_;
    pending->peerLength = peerLength;
    if (peer)
        std::memcpy(&pending->peer, peer, peerLength);
    if (garbageCount_ > 0) {
        --garbageCount_;
        for (uint8_t b : {0x00, 0xA5, 0x13, 0x7E, 0xFF, 0x5A, 0x42})
            pending->bytes.push_back(b);
    }
    const auto frame = orvexlink::EncodeFrame(*answer, variant); // answered in kind
    pending->bytes.insert(pending->bytes.end(), frame.begin(), frame.end());
    pending_.push_back(std::move(pending));
}

void BoardServer::FlushDue() {
    const auto now = Clock::now();
    // Answers leave in order: a delayed one holds back those behind it on its link.
    while (!pending_.empty() && pending_.front()->due <= now) {
        Send(*pending_.front());
        pending_.pop_front();
    }
}

void BoardServer::Send(const Pending& pending) {
    if (pending.datagram)
        (void)!::sendto(pending.fd, pending.bytes.data(), pending.bytes.size(), 0,
                        reinterpret_cast<const sockaddr*>(&pending.peer), pending.peerLength);
    else
        (void)!::write(pending.fd, pending.bytes.data(), pending.bytes.size());
}

void BoardServer::HangUp() {
    for (std::size_t i = links_.size(); i-- > 0;)
        if (links_[i]->kind == LinkKind::Tcp)
            CloseLink(*links_[i]);
    if (ptyLink_ && options_.modem && ptyLink_->modemOnline) {
        ptyLink_->modemOnline = false;
        const std::string reply = "\r\nNO CARRIER\r\n";
        (void)!::write(ptyLink_->fd, reply.data(), reply.size());
    }
}

void BoardServer::DemoStep() {
    // A slow round of every lamp: inputs walk, balanced inputs cycle through
    // tamper, alarm and cable cut, outputs count, the battery dips now and then.
    TPyloxStatus& status = core_.Status();
    const unsigned step = demoStep_++;
    status.DigitalInputs = static_cast<uint8_t>((status.DigitalInputs & 0xF0) | (1u << (step % 4)));
    status.Outputs = static_cast<uint8_t>((status.Outputs & 0xFC) | (step / 2 % 4));
    status.PowerFlags =
        static_cast<uint8_t>((status.PowerFlags & 0xFE) | (step % 16 >= 14 ? 1 : 0));
    for (int n = 0; n < kBalancedCount; ++n) {
        const unsigned phase = (step + static_cast<unsigned>(n) * 3) % 8;
        const uint8_t bits = phase < 3 ? static_cast<uint8_t>(1u << phase) : 0;
        status.Balanced[n] = static_cast<uint8_t>((status.Balanced[n] & 0xF8) | bits);
    }
}

std::string BoardServer::Control(const std::string& line) {
    std::istringstream in(line);
    std::string command, a, b;
    in >> command >> a >> b;
    long x = 0, y = 0;
    const auto onOff = [&](bool& flag) {
        if (a != "on" && a != "off")
            return false;
        flag = a == "on";
        return true;
    };
    if (command == "status" && ParseNumber(a, x) && ParseNumber(b, y) && x >= 0 &&
        x < static_cast<long>(kStatusSize) && y >= 0 && y < 256) {
        core_.Status().Bytes()[x] = static_cast<uint8_t>(y);
        return "ok";
    }
    if (command == "status-hex" && FromHex(a, core_.Status().Bytes(), kStatusSize))
        return "ok";
    if (command == "firmware") {
        bool ok = false;
        const uint32_t version = ParseVersionText(a, ok);
        if (ok) {
            core_.SetFirmware(version);
            return "ok";
        }
    }
    if (command == "n-answer" && ParseNumber(a, x) && x >= 0 && x < 256) {
        core_.SetNAnswer(static_cast<uint8_t>(x));
        return "ok";
    }
    if (command == "demo" && onOff(options_.demo)) {
        nextDemo_ = Clock::now();
        return "ok";
    }
    if (command == "refuse-login") {
        bool refuse = false;
        if (onOff(refuse)) {
            core_.SetRefuseLogin(refuse);
            return "ok";
        }
    }
    const auto count = [&](unsigned& counter) {
        if (!ParseNumber(a.empty() ? "1" : a, x) || x < 0)
            return false;
        counter = static_cast<unsigned>(x);
        return true;
    };
    if ((command == "drop" && count(dropCount_)) ||
        (command == "wrong-length" && count(wrongLengthCount_)) ||
        (command == "wrong-command" && count(wrongCommandCount_)) ||
        (command == "garbage" && count(garbageCount_)))
        return "ok";
    if (command == "delay" && ParseNumber(a, x) && x >= 0 && ParseNumber(b.empty() ? "1" : b, y) &&
        y >= 0) {
        delayMs_ = static_cast<int>(x);
        delayCount_ = static_cast<unsigned>(y);
        return "ok";
    }
    if (command == "silent" && ParseNumber(a, x) && x >= 0) {
        silentUntil_ = Clock::now() + std::chrono::seconds(x);
        return "ok";
    }
    if (command == "close") {
        HangUp();
        return "ok";
    }
    if (command == "get") {
        if (a == "config")
            return "config " + ToHex(core_.Config().Bytes(), kConfigSize);
        if (a == "staged")
            return core_.Staged() ? "staged " + ToHex(core_.Staged()->Bytes(), kConfigSize)
                                  : "staged none";
        if (a == "status")
            return "status " + ToHex(core_.Status().Bytes(), kStatusSize);
    }
    if (command == "stats") {
        std::string reply = "stats";
        for (const auto& [cmd, n] : core_.Counts()) {
            char item[24];
            std::snprintf(item, sizeof(item), " %02x=%u", cmd, n);
            reply += item;
        }
        return reply;
    }
    if (command == "quit") {
        quit_ = true;
        return "ok";
    }
    if (command == "help")
        return "ok commands: status N V, status-hex HEX, firmware A.B.C.D, n-answer V, demo "
               "on|off, "
               "refuse-login on|off, drop N, delay MS N, wrong-length N, wrong-command N, "
               "garbage N, silent S, close, get config|staged|status, stats, quit";
    return "error unknown or malformed command: " + line;
}
