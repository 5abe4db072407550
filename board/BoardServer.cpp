#include "BoardServer.h"

#include "OrvexFraming.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <netinet/tcp.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) {
    gStop = 1;
}

constexpr auto kDemoPeriod = std::chrono::milliseconds(400);
// A modem takes a moment to dial and connect.
constexpr auto kDialDelay = std::chrono::milliseconds(150);
// Lines longer than this are no command of ours; the text is dropped.
constexpr std::size_t kMaxLine = 4096;
// Output that a peer leaves unread beyond this is thrown away: the line is clogged.
constexpr std::size_t kMaxUnsent = 64 * 1024;

void SetNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Decimal, or hexadecimal after "0x".
bool ParseNumber(const std::string& text, long low, long high, long& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    long parsed = 0;
    const auto [end, error] = std::from_chars(first, last, parsed, hex ? 16 : 10);
    if (first == last || error != std::errc() || end != last || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

std::string FormatVersionWord(uint32_t v) {
    return std::to_string(v >> 24) + "." + std::to_string(v >> 16 & 0xFF) + "." +
           std::to_string(v >> 8 & 0xFF) + "." + std::to_string(v & 0xFF);
}

bool IsLoopback(const in_addr& address) {
    return (ntohl(address.s_addr) >> 24) == 127;
}

// Takes over PATH for a socket or link of ours, removing only what an earlier run
// of ours could have left there (a socket or a symbolic link), never a file.
bool ClaimPath(const std::string& path, mode_t kind) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if ((st.st_mode & S_IFMT) != kind) {
        errno = EEXIST;
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

bool IsOfKind(const std::string& path, mode_t kind) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind;
}

} // namespace

struct BoardServer::Link {
    Link(uint64_t i, LinkKind k, int f) : id(i), kind(k), fd(f) {}
    uint64_t id;
    LinkKind kind;
    int fd;
    orvexlink::FrameDecoder decoder{orvexlink::kProtocolAny};
    std::string line; // control and modem command lines
    std::string unsent;
    ModemState modem = ModemState::Command;
    Clock::time_point connectAt{};
};

// An answer on its way: to a link (by id, so a link that went meanwhile is skipped)
// or, with linkId 0, to a UDP peer.
struct BoardServer::Pending {
    Clock::time_point due;
    uint64_t linkId;
    sockaddr_in peer;
    std::vector<uint8_t> bytes;
};

BoardServer::BoardServer(const BoardOptions& options)
    : options_(options), core_(options.stateFile) {
    core_.SetFirmware(options.firmware);
    core_.SetNAnswer(options.nAnswer);
}

BoardServer::~BoardServer() {
    for (auto& link : links_)
        if (link->fd != STDIN_FILENO)
            ::close(link->fd);
    for (int fd : {tcpListener_, udpSocket_, udpBroadcast_, controlListener_, ptySlave_})
        if (fd >= 0)
            ::close(fd);
    if (controlListener_ >= 0 && IsOfKind(options_.controlSocket, S_IFSOCK))
        ::unlink(options_.controlSocket.c_str());
    if (!options_.ptyLink.empty() && !ptyName_.empty()) {
        std::error_code ec;
        if (std::filesystem::read_symlink(options_.ptyLink, ec) == ptyName_)
            ::unlink(options_.ptyLink.c_str());
    }
}

bool BoardServer::Start() {
    // SIGINT and SIGTERM are let through only while the loop waits, so that a stop
    // request can never fall between the check and the wait.
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &stops, &waitMask_);
    sigdelset(&waitMask_, SIGINT);
    sigdelset(&waitMask_, SIGTERM);

    if ((options_.tcpPort >= 0 && !OpenTcp()) || (options_.udpPort >= 0 && !OpenUdp()) ||
        (options_.pty && !OpenPty()) || (!options_.controlSocket.empty() && !OpenControlSocket()))
        return false;
    if (options_.stdinControl)
        links_.push_back(std::make_unique<Link>(nextLinkId_++, LinkKind::Control, STDIN_FILENO));
    nextDemo_ = Clock::now();
    std::printf("ready\n");
    std::fflush(stdout);
    return true;
}

bool BoardServer::OpenTcp() {
    tcpListener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int one = 1;
    // A restarted board takes its port back at once, as the tool expects it there.
    setsockopt(tcpListener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(options_.tcpPort));
    if (inet_pton(AF_INET, options_.host.c_str(), &address.sin_addr) != 1) {
        std::fprintf(stderr, "pylox-board: not an IPv4 address: %s\n", options_.host.c_str());
        return false;
    }
    if (::bind(tcpListener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(tcpListener_, 8) != 0) {
        std::fprintf(stderr, "pylox-board: tcp %s:%d: %s\n", options_.host.c_str(),
                     options_.tcpPort, std::strerror(errno));
        return false;
    }
    socklen_t length = sizeof(address);
    getsockname(tcpListener_, reinterpret_cast<sockaddr*>(&address), &length);
    std::printf("tcp %d\n", ntohs(address.sin_port));
    return true;
}

bool BoardServer::OpenUdp() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(options_.udpPort));
    if (inet_pton(AF_INET, options_.udpBind.c_str(), &address.sin_addr) != 1) {
        std::fprintf(stderr, "pylox-board: not an IPv4 address: %s\n", options_.udpBind.c_str());
        return false;
    }
    const auto fail = [&](const char* what) {
        std::fprintf(stderr, "pylox-board: udp %s %s:%d: %s\n", what, options_.udpBind.c_str(),
                     ntohs(address.sin_port), std::strerror(errno));
        return false;
    };
    udpSocket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (::bind(udpSocket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
        return fail("bind");
    socklen_t length = sizeof(address);
    getsockname(udpSocket_, reinterpret_cast<sockaddr*>(&address), &length);
    // A socket bound to one address hears no broadcasts. On loopback a second one on
    // the loopback broadcast address hears them, and the answers still leave from the
    // board's own address, so nothing the board sends ever leaves this machine.
    if (IsLoopback(address.sin_addr)) {
        sockaddr_in broadcast = address;
        broadcast.sin_addr.s_addr = htonl(0x7FFFFFFF); // 127.255.255.255
        udpBroadcast_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (::bind(udpBroadcast_, reinterpret_cast<sockaddr*>(&broadcast), sizeof(broadcast)) != 0)
            return fail("broadcast bind");
    }
    std::printf("udp %d\n", ntohs(address.sin_port));
    return true;
}

bool BoardServer::OpenPty() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || !::ptsname(master)) {
        std::perror("pylox-board: pty");
        return false;
    }
    ptyName_ = ::ptsname(master);
    // Holding the slave side open keeps the line alive while the tool closes and
    // reopens it (no hang-up, no lost input), and makes it raw before anyone opens it.
    ptySlave_ = ::open(ptyName_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (ptySlave_ < 0 || tcgetattr(ptySlave_, &tio) != 0) {
        std::perror("pylox-board: pty slave");
        ::close(master);
        return false;
    }
    cfmakeraw(&tio);
    tcsetattr(ptySlave_, TCSANOW, &tio);
    SetNonBlocking(master);
    links_.push_back(std::make_unique<Link>(nextLinkId_++, LinkKind::Pty, master));
    ptyLinkId_ = links_.back()->id;
    if (!options_.ptyLink.empty()) {
        std::error_code ec;
        const auto folder = std::filesystem::path(options_.ptyLink).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder, ec);
        if (!ClaimPath(options_.ptyLink, S_IFLNK) ||
            ::symlink(ptyName_.c_str(), options_.ptyLink.c_str()) != 0) {
            std::fprintf(stderr, "pylox-board: pty link %s: %s\n", options_.ptyLink.c_str(),
                         std::strerror(errno));
            return false;
        }
    }
    std::printf("pty %s\n", ptyName_.c_str());
    return true;
}

bool BoardServer::OpenControlSocket() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (options_.controlSocket.size() >= sizeof(address.sun_path)) {
        std::fprintf(stderr, "pylox-board: control socket path too long\n");
        return false;
    }
    std::memcpy(address.sun_path, options_.controlSocket.c_str(), options_.controlSocket.size());
    controlListener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (!ClaimPath(options_.controlSocket, S_IFSOCK) ||
        ::bind(controlListener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(controlListener_, 4) != 0) {
        std::fprintf(stderr, "pylox-board: control socket %s: %s\n", options_.controlSocket.c_str(),
                     std::strerror(errno));
        ::close(controlListener_);
        controlListener_ = -1;
        return false;
    }
    return true;
}

std::optional<BoardServer::Clock::time_point> BoardServer::NextWake() const {
    std::optional<Clock::time_point> next;
    const auto consider = [&](Clock::time_point t) {
        if (!next || t < *next)
            next = t;
    };
    if (options_.demo)
        consider(nextDemo_);
    if (!pending_.empty())
        consider(pending_.front().due); // the queue leaves in order
    for (const auto& link : links_)
        if (link->modem == ModemState::Dialing)
            consider(link->connectAt);
    return next;
}

void BoardServer::Run() {
    while (!quit_ && !gStop) {
        std::vector<pollfd> fds;
        for (int fd : {tcpListener_, udpSocket_, udpBroadcast_, controlListener_})
            if (fd >= 0)
                fds.push_back({fd, POLLIN, 0});
        const std::size_t firstLink = fds.size();
        std::vector<uint64_t> ids;
        for (const auto& link : links_) {
            fds.push_back(
                {link->fd, static_cast<short>(POLLIN | (link->unsent.empty() ? 0 : POLLOUT)), 0});
            ids.push_back(link->id);
        }
        timespec timeout{};
        const auto wake = NextWake();
        if (wake) {
            const auto ns = std::max<long long>(
                0,
                std::chrono::duration_cast<std::chrono::nanoseconds>(*wake - Clock::now()).count());
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
        }
        if (::ppoll(fds.data(), fds.size(), wake ? &timeout : nullptr, &waitMask_) < 0 &&
            errno != EINTR)
            break;
        for (std::size_t i = 0; i < firstLink; ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            if (fds[i].fd == tcpListener_)
                Accept(tcpListener_, LinkKind::Tcp);
            else if (fds[i].fd == controlListener_)
                Accept(controlListener_, LinkKind::Control);
            else
                ReadDatagram(fds[i].fd);
        }
        // By id: a control command may close other links on the way.
        for (std::size_t i = firstLink; i < fds.size(); ++i) {
            Link* link = Find(ids[i - firstLink]);
            if (link && (fds[i].revents & POLLOUT))
                Flush(*link);
            link = Find(ids[i - firstLink]);
            if (link && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                Read(*link);
        }
        const auto now = Clock::now();
        for (auto& link : links_)
            if (link->modem == ModemState::Dialing && link->connectAt <= now) {
                link->modem = ModemState::Online;
                link->decoder.Reset();
                Write(*link, "\r\nCONNECT 38400\r\n");
            }
        if (options_.demo && now >= nextDemo_) {
            DemoStep(demoStep_++, core_.Status());
            nextDemo_ = now + kDemoPeriod;
        }
        FlushDue();
    }
}

BoardServer::Link* BoardServer::Find(uint64_t id) {
    for (auto& link : links_)
        if (link->id == id)
            return link.get();
    return nullptr;
}

void BoardServer::Accept(int listener, LinkKind kind) {
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (kind == LinkKind::Tcp) {
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    }
    links_.push_back(std::make_unique<Link>(nextLinkId_++, kind, fd));
}

void BoardServer::CloseLink(Link& link) {
    if (link.id == ptyLinkId_)
        return; // the pseudo-terminal stays for the next caller
    if (link.fd != STDIN_FILENO)
        ::close(link.fd);
    const uint64_t id = link.id;
    links_.erase(
        std::remove_if(links_.begin(), links_.end(), [&](const auto& l) { return l->id == id; }),
        links_.end());
}

void BoardServer::Read(Link& link) {
    char buffer[1024];
    // Standard input stays blocking (its mode is shared with whoever started us);
    // one read after poll reported it readable does not block.
    const ssize_t n = ::read(link.fd, buffer, sizeof(buffer));
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        CloseLink(link); // end of a peer or of standard input
        return;
    }
    const auto size = static_cast<std::size_t>(n);
    if (link.kind == LinkKind::Control) {
        ReadControl(link, buffer, size);
        return;
    }
    if (link.kind == LinkKind::Pty && options_.modem) {
        const std::string_view text(buffer, size);
        if (link.modem == ModemState::Online && text == "+++") {
            // The escape: back to command mode, the call stays up.
            link.modem = ModemState::Command;
            Write(link, "\r\nOK\r\n");
            return;
        }
        if (link.modem == ModemState::Online && text.starts_with("AT")) {
            // No frame begins with "AT": a caller that reopened the line and
            // initialises the modem again; the old call is over.
            link.modem = ModemState::Command;
        }
        if (link.modem != ModemState::Online) {
            ModemInput(link, buffer, size);
            return;
        }
    }
    if (Clock::now() < silentUntil_)
        return; // a silent board hears nothing
    link.decoder.Feed(reinterpret_cast<const uint8_t*>(buffer), size);
    TZelkBasicMsg request;
    int variant = orvexlink::kProtocolCurrent;
    while (link.decoder.Next(request, &variant))
        Answer(request, variant, link.id, nullptr);
}

void BoardServer::ReadControl(Link& link, const char* bytes, std::size_t size) {
    const uint64_t id = link.id; // a reply that cannot be written closes the link
    link.line.append(bytes, size);
    std::size_t end;
    while ((end = link.line.find('\n')) != std::string::npos) {
        std::string command = link.line.substr(0, end);
        link.line.erase(0, end + 1);
        if (!command.empty() && command.back() == '\r')
            command.pop_back();
        if (command.find_first_not_of(" \t") == std::string::npos)
            continue;
        const std::string reply = Control(command) + "\n";
        if (link.fd == STDIN_FILENO) {
            std::fputs(reply.c_str(), stdout);
            std::fflush(stdout);
        } else {
            Write(link, reply);
        }
        if (!Find(id))
            return;
    }
    if (link.line.size() > kMaxLine) {
        link.line.clear();
        const std::string reply = "error line too long\n";
        if (link.fd == STDIN_FILENO) {
            std::fputs(reply.c_str(), stdout);
            std::fflush(stdout);
        } else {
            Write(link, reply);
        }
    }
}

void BoardServer::ModemInput(Link& link, const char* bytes, std::size_t size) {
    if (link.modem == ModemState::Dialing)
        return; // busy dialling
    link.line.append(bytes, size);
    std::size_t end;
    while ((end = link.line.find_first_of("\r\n")) != std::string::npos) {
        std::string command = link.line.substr(0, end);
        link.line.erase(0, end + 1);
        for (char& c : command)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        // As a Hayes modem, wait for the "AT" prefix; whatever comes before it is noise.
        const std::size_t at = command.find("AT");
        if (at == std::string::npos)
            continue;
        command.erase(0, at);
        if (command.starts_with("ATD")) {
            link.modem = ModemState::Dialing;
            link.connectAt = Clock::now() + kDialDelay;
            link.line.clear();
            return;
        }
        // Every other command (the init string, ATZ, ATH, ...) is accepted.
        Write(link, "\r\nOK\r\n");
    }
    if (link.line.size() > kMaxLine)
        link.line.clear();
}

void BoardServer::ReadDatagram(int socket) {
    uint8_t buffer[2048];
    sockaddr_in peer{};
    socklen_t peerLength = sizeof(peer);
    const ssize_t n = ::recvfrom(socket, buffer, sizeof(buffer), 0,
                                 reinterpret_cast<sockaddr*>(&peer), &peerLength);
    if (n <= 0 || peer.sin_family != AF_INET || Clock::now() < silentUntil_)
        return;
    // Each datagram stands alone: a frame never spans two of them.
    orvexlink::FrameDecoder decoder(orvexlink::kProtocolAny);
    decoder.Feed(buffer, static_cast<std::size_t>(n));
    TZelkBasicMsg request;
    int variant = orvexlink::kProtocolCurrent;
    while (decoder.Next(request, &variant))
        Answer(request, variant, 0, &peer);
}

void BoardServer::Answer(const TZelkBasicMsg& request, int variant, uint64_t linkId,
                         const sockaddr_in* peer) {
    // The board acts on every request it hears (a dropped answer may follow a
    // committed write) and answers in the variant it was asked in.
    auto out = faults_.Shape(core_.Answer(request), variant);
    if (!out)
        return;
    Pending pending{Clock::now() + out->delay, linkId, peer ? *peer : sockaddr_in{},
                    std::move(out->bytes)};
    pending_.push_back(std::move(pending));
}

void BoardServer::FlushDue() {
    const auto now = Clock::now();
    // Answers leave in the order they were made, as from a board that does one thing
    // at a time: a delayed answer holds back those behind it.
    while (!pending_.empty() && pending_.front().due <= now) {
        const Pending& pending = pending_.front();
        if (pending.linkId == 0) {
            (void)!::sendto(udpSocket_, pending.bytes.data(), pending.bytes.size(), 0,
                            reinterpret_cast<const sockaddr*>(&pending.peer), sizeof(pending.peer));
        } else if (Link* link = Find(pending.linkId)) {
            Write(*link, std::string(pending.bytes.begin(), pending.bytes.end()));
        }
        pending_.pop_front();
    }
}

void BoardServer::Write(Link& link, const std::string& bytes) {
    link.unsent += bytes;
    if (link.unsent.size() > kMaxUnsent)
        link.unsent.erase(0, link.unsent.size() - bytes.size()); // keep the newest only
    Flush(link);
}

void BoardServer::Flush(Link& link) {
    while (!link.unsent.empty()) {
        const ssize_t n = ::write(link.fd, link.unsent.data(), link.unsent.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return; // the rest when the peer has read
        if (n <= 0) {
            link.unsent.clear();
            if (link.kind != LinkKind::Pty)
                CloseLink(link);
            return;
        }
        link.unsent.erase(0, static_cast<std::size_t>(n));
    }
}

void BoardServer::HangUp() {
    std::vector<uint64_t> tcp;
    for (const auto& link : links_)
        if (link->kind == LinkKind::Tcp)
            tcp.push_back(link->id);
    for (uint64_t id : tcp)
        CloseLink(*Find(id));
    Link* pty = Find(ptyLinkId_);
    if (pty && options_.modem && pty->modem != ModemState::Command) {
        pty->modem = ModemState::Command;
        Write(*pty, "\r\nNO CARRIER\r\n");
    }
}

std::string BoardServer::Control(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    const std::string command = words.empty() ? "" : words[0];
    const std::size_t args = words.empty() ? 0 : words.size() - 1;
    const auto arg = [&](std::size_t i) -> const std::string& { return words[i]; };
    const std::string malformed = "error usage: ";
    long x = 0, y = 0;

    if (command == "status") {
        if (args != 2 || !ParseNumber(arg(1), 0, kStatusSize - 1, x) ||
            !ParseNumber(arg(2), 0, 255, y))
            return malformed + "status BYTE VALUE (byte 0-70, value 0-255)";
        core_.Status().Bytes()[x] = static_cast<uint8_t>(y);
        return "ok";
    }
    if (command == "status-hex") {
        if (args != 1 || !FromHex(arg(1), core_.Status().Bytes(), kStatusSize))
            return malformed + "status-hex HEX (142 hexadecimal digits)";
        return "ok";
    }
    if (command == "firmware") {
        unsigned a, b, c, d;
        char extra;
        if (args != 1 ||
            std::sscanf(arg(1).c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) != 4 || a > 255 ||
            b > 255 || c > 255 || d > 255)
            return malformed + "firmware A.B.C.D";
        core_.SetFirmware(a << 24 | b << 16 | c << 8 | d);
        return "ok";
    }
    if (command == "n-answer") {
        if (args != 1 || !ParseNumber(arg(1), 0, 255, x))
            return malformed + "n-answer VALUE (0-255)";
        core_.SetNAnswer(static_cast<uint8_t>(x));
        return "ok";
    }
    if (command == "demo" || command == "refuse-login") {
        if (args != 1 || (arg(1) != "on" && arg(1) != "off"))
            return malformed + command + " on|off";
        const bool on = arg(1) == "on";
        if (command == "demo") {
            options_.demo = on;
            nextDemo_ = Clock::now();
        } else {
            core_.SetRefuseLogin(on);
        }
        return "ok";
    }
    for (auto [name, counter] :
         {std::pair{"drop", &faults_.drop}, std::pair{"wrong-length", &faults_.wrongLength},
          std::pair{"wrong-command", &faults_.wrongCommand},
          std::pair{"garbage", &faults_.garbage}}) {
        if (command != name)
            continue;
        if (args > 1 || (args == 1 && !ParseNumber(arg(1), 0, 1000000, x)))
            return malformed + command + " [COUNT]";
        *counter = args == 1 ? static_cast<unsigned>(x) : 1;
        return "ok";
    }
    if (command == "delay") {
        if (args < 1 || args > 2 || !ParseNumber(arg(1), 0, 3600000, x) ||
            (args == 2 && !ParseNumber(arg(2), 0, 1000000, y)))
            return malformed + "delay MS [COUNT]";
        faults_.delayBy = std::chrono::milliseconds(x);
        faults_.delay = args == 2 ? static_cast<unsigned>(y) : 1;
        return "ok";
    }
    if (command == "silent") {
        if (args != 1 || !ParseNumber(arg(1), 0, 86400, x))
            return malformed + "silent SECONDS";
        silentUntil_ = Clock::now() + std::chrono::seconds(x);
        return "ok";
    }
    if (command == "clear" && args == 0) {
        faults_ = BoardFaults{};
        silentUntil_ = {};
        core_.SetRefuseLogin(false);
        return "ok";
    }
    if (command == "close" && args == 0) {
        HangUp();
        return "ok";
    }
    if (command == "get" && args == 1) {
        if (arg(1) == "config")
            return "config " + ToHex(core_.Config().Bytes(), kConfigSize);
        if (arg(1) == "staged")
            return core_.Staged() ? "staged " + ToHex(core_.Staged()->Bytes(), kConfigSize)
                                  : "staged none";
        if (arg(1) == "status")
            return "status " + ToHex(core_.Status().Bytes(), kStatusSize);
        if (arg(1) == "firmware")
            return "firmware " + FormatVersionWord(core_.Firmware());
        if (arg(1) == "faults")
            return "faults " + faults_.Describe();
        return malformed + "get config|staged|status|firmware|faults";
    }
    if (command == "stats" && args == 0) {
        std::string reply = "stats";
        for (const auto& [cmd, n] : core_.Counts()) {
            char item[24];
            std::snprintf(item, sizeof(item), " %02x=%u", cmd, n);
            reply += item;
        }
        return reply;
    }
    if (command == "quit" && args == 0) {
        quit_ = true;
        return "ok";
    }
    if (command == "help")
        return "ok commands: status BYTE VALUE, status-hex HEX, firmware A.B.C.D, n-answer VALUE, "
               "demo on|off, refuse-login on|off, drop [N], delay MS [N], wrong-length [N], "
               "wrong-command [N], garbage [N], silent SECONDS, clear, close, "
               "get config|staged|status|firmware|faults, stats, quit";
    return "error unknown command: " + line;
}
