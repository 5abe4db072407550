// The real pylox-board over real loopback sockets and a real pseudo-terminal,
// speaking frames through the link library's framing.
#include "BoardProcess.h"
#include "BoardCore.h"
#include "BoardFaults.h"
#include "OrvexFraming.h"
#include "TestEnvironment.h"
#include "link/Tpyloxmsg.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

using namespace std::chrono_literals;
using orvexlink::kProtocolCurrent;
using orvexlink::kProtocolLegacy;
using pylox::test::BoardProcess;
using pylox::test::TempDir;

// Generous: an answer comes within milliseconds, so only a fault runs this long.
constexpr auto kAnswerWait = 5s;
// How long a test watches for an answer that must not come.
constexpr auto kNoAnswerWait = 400ms;

// One end of a byte stream (TCP socket or pseudo-terminal) that speaks frames.
class FrameLink {
public:
    explicit FrameLink(int fd) : fd_(fd) {}
    ~FrameLink() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FrameLink(const FrameLink&) = delete;
    FrameLink& operator=(const FrameLink&) = delete;

    bool Valid() const { return fd_ >= 0; }

    void Send(const TZelkBasicMsg& frame, int variant = kProtocolCurrent) {
        const auto bytes = orvexlink::EncodeFrame(frame, variant);
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void SendText(const std::string& text) {
        ASSERT_EQ(::write(fd_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // The next frame and its variant, or nothing within the wait.
    std::optional<std::pair<TZelkBasicMsg, int>> Receive(std::chrono::milliseconds wait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        TZelkBasicMsg frame;
        int variant = -1;
        while (!decoder_.Next(frame, &variant)) {
            uint8_t buffer[512];
            const long n = Read(buffer, sizeof(buffer), deadline);
            if (n <= 0)
                return std::nullopt;
            raw_.insert(raw_.end(), buffer, buffer + n);
            decoder_.Feed(buffer, static_cast<std::size_t>(n));
        }
        return std::pair{frame, variant};
    }

    // The answer to one request, or nothing.
    std::optional<TZelkBasicMsg> Ask(const TZelkBasicMsg& request,
                                     std::chrono::milliseconds wait = kAnswerWait) {
        Send(request);
        const auto answer = Receive(wait);
        return answer ? std::optional(answer->first) : std::nullopt;
    }

    // Text up to and with the word; what arrived when the word never did. Text after
    // the word stays for the next call.
    std::string ReadUntil(const std::string& word, std::chrono::milliseconds wait = kAnswerWait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (text_.find(word) == std::string::npos) {
            char buffer[256];
            const long n = Read(buffer, sizeof(buffer), deadline);
            if (n <= 0)
                return std::exchange(text_, std::string());
            text_.append(buffer, static_cast<std::size_t>(n));
        }
        const std::size_t end = text_.find(word) + word.size();
        std::string text = text_.substr(0, end);
        text_.erase(0, end);
        return text;
    }

    // True when the peer closed the stream within the wait.
    bool ClosedByPeer(std::chrono::milliseconds wait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        char buffer[256];
        long n;
        while ((n = Read(buffer, sizeof(buffer), deadline)) > 0) {
        }
        return n == 0 && std::chrono::steady_clock::now() < deadline;
    }

    // Every byte received so far.
    const std::vector<uint8_t>& Raw() const { return raw_; }

private:
    // Bytes read, 0 at the end of the stream, -1 when the deadline passed first.
    long Read(void* buffer, std::size_t size, std::chrono::steady_clock::time_point deadline) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return -1;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            const ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0)
                return n;
            if (errno != EAGAIN && errno != EINTR)
                return 0;
        }
    }

    int fd_;
    orvexlink::FrameDecoder decoder_{orvexlink::kProtocolAny};
    std::vector<uint8_t> raw_;
    std::string text_;
};

int ConnectTcp(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The serial line as the link library opens it: raw, 38400 8N1.
int OpenLine(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (fd >= 0 && tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetspeed(&tio, B38400);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

TPyloxMsg Request(void (TPyloxMsg::*build)()) {
    TPyloxMsg msg;
    (msg.*build)();
    return msg;
}

TPyloxMsg Login(const std::string& password) {
    TPyloxMsg msg;
    msg.BuildLogin(password);
    return msg;
}

// The start sequence the tool drives, checked answer by answer.
void ExpectStartSequence(FrameLink& link, uint32_t firmware) {
    const auto login = link.Ask(Login("480917"));
    ASSERT_TRUE(login);
    EXPECT_EQ(login->Length, 1);
    EXPECT_NE(login->Data[0], 0);
    uint32_t version = 0;
    const auto versionAnswer = link.Ask(Request(&TPyloxMsg::BuildVersionRequest));
    ASSERT_TRUE(versionAnswer);
    EXPECT_TRUE(ParseVersion(*versionAnswer, version));
    EXPECT_EQ(version, firmware);
    const auto n = link.Ask(Request(&TPyloxMsg::BuildNQuery));
    ASSERT_TRUE(n);
    TPyloxMsg nAnswer;
    nAnswer.CopyAnswer(*n);
    uint32_t value = 0;
    EXPECT_TRUE(nAnswer.ParseNAnswer(value));
    EXPECT_EQ(value, 14u);
    TPyloxConfig config;
    const auto read = link.Ask(Request(&TPyloxMsg::BuildReadConfig));
    ASSERT_TRUE(read);
    EXPECT_TRUE(ParseConfig(*read, config));
    TPyloxStatus status;
    const auto poll = link.Ask(Request(&TPyloxMsg::BuildStatusRequest));
    ASSERT_TRUE(poll);
    EXPECT_TRUE(ParseStatus(*poll, status));
}

TEST(BoardProcess, TcpAnswersTheStartSequenceInTheVariantAsked) {
    BoardProcess board({"--tcp", "0"});
    FrameLink link(ConnectTcp(board.TcpPort()));
    ASSERT_TRUE(link.Valid());
    ExpectStartSequence(link, kBoardDefaultFirmware);
    for (int variant : {kProtocolLegacy, kProtocolCurrent, kProtocolLegacy}) {
        link.Send(Login("wrong"), variant);
        const auto answer = link.Receive(kAnswerWait);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->second, variant);
        EXPECT_EQ(answer->first.Length, 1); // refused: Length 1, data 0
        EXPECT_EQ(answer->first.Data[0], 0);
    }
    // Two frames in one write get two answers, in order.
    auto both = orvexlink::EncodeFrame(Request(&TPyloxMsg::BuildNQuery), kProtocolCurrent);
    const auto second =
        orvexlink::EncodeFrame(Request(&TPyloxMsg::BuildStatusRequest), kProtocolLegacy);
    both.insert(both.end(), second.begin(), second.end());
    link.SendText(std::string(both.begin(), both.end()));
    const auto first = link.Receive(kAnswerWait), next = link.Receive(kAnswerWait);
    ASSERT_TRUE(first && next);
    EXPECT_EQ(first->first.Command, 'N');
    EXPECT_EQ(next->first.Command, '@');
    EXPECT_EQ(next->second, kProtocolLegacy);
    EXPECT_EQ(board.Control("stats"), "stats 22=1 23=4 40=2 4e=2 53=1");
}

TEST(BoardProcess, UdpAnswersBroadcastsAndUnicastsFromItsOwnAddress) {
    BoardProcess board({"--udp", "0", "--firmware", "1.0.1.7"});
    ASSERT_GT(board.UdpPort(), 0);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ASSERT_EQ(setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof(one)), 0);
    for (const char* to : {"127.255.255.255", "127.0.0.1"}) {
        SCOPED_TRACE(to);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(board.UdpPort()));
        inet_pton(AF_INET, to, &address.sin_addr);
        const auto bytes =
            orvexlink::EncodeFrame(Request(&TPyloxMsg::BuildVersionRequest), kProtocolLegacy);
        ASSERT_EQ(::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address),
                           sizeof(address)),
                  static_cast<ssize_t>(bytes.size()));
        pollfd p{fd, POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 5000), 1);
        uint8_t buffer[512];
        sockaddr_in from{};
        socklen_t fromLength = sizeof(from);
        const ssize_t n = ::recvfrom(fd, buffer, sizeof(buffer), 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromLength);
        ASSERT_GT(n, 0);
        EXPECT_EQ(ntohl(from.sin_addr.s_addr), INADDR_LOOPBACK);
        EXPECT_EQ(ntohs(from.sin_port), board.UdpPort());
        orvexlink::FrameDecoder decoder(orvexlink::kProtocolAny);
        decoder.Feed(buffer, static_cast<std::size_t>(n));
        TZelkBasicMsg answer;
        int variant = -1;
        ASSERT_TRUE(decoder.Next(answer, &variant));
        EXPECT_EQ(variant, kProtocolLegacy);
        uint32_t version = 0;
        EXPECT_TRUE(ParseVersion(answer, version));
        EXPECT_EQ(version, 0x01000107u);
    }
    ::close(fd);
}

TEST(BoardProcess, ThePseudoTerminalOutlivesTheCallerClosingIt) {
    TempDir dir;
    const auto com = dir.path() / "dosdevices" / "com7";
    BoardProcess board({"--pty", "--pty-link", com.string()});
    ASSERT_FALSE(board.PtyPath().empty());
    EXPECT_EQ(std::filesystem::read_symlink(com), board.PtyPath());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        FrameLink line(OpenLine(com.string()));
        ASSERT_TRUE(line.Valid());
        ExpectStartSequence(line, kBoardDefaultFirmware);
    }
}

TEST(BoardProcess, TheModemAnswersItsCommandsDialsAndCarriesFrames) {
    TempDir dir;
    const auto com = dir.path() / "com2";
    BoardProcess board({"--modem", "--pty-link", com.string()});
    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        FrameLink line(OpenLine(com.string()));
        ASSERT_TRUE(line.Valid());
        // Frames and noise before the call are no business of the board's; the modem
        // still takes the init string behind them.
        line.Send(Request(&TPyloxMsg::BuildStatusRequest));
        line.SendText("hello\rAT&D0&K0X3\r");
        EXPECT_EQ(line.ReadUntil("OK"), "\r\nOK");
        line.SendText("ATDw0212345678\r");
        EXPECT_EQ(line.ReadUntil("CONNECT 38400\r\n"), "\r\n\r\nCONNECT 38400\r\n");
        ExpectStartSequence(line, kBoardDefaultFirmware);
        if (call == 0) {
            // Hanging up from the board's side: the caller hears NO CARRIER.
            ASSERT_EQ(board.Control("close"), "ok");
            EXPECT_EQ(line.ReadUntil("NO CARRIER\r\n"), "\r\nNO CARRIER\r\n");
            EXPECT_FALSE(line.Ask(Request(&TPyloxMsg::BuildStatusRequest), kNoAnswerWait));
        }
        // The second call opens the line again and starts over with the init string.
    }
    // Only the requests of the two calls reached the board.
    EXPECT_EQ(board.Control("stats"), "stats 22=2 23=2 40=2 4e=2 53=2");
    // The escape returns to command mode; "ATH" hangs up.
    FrameLink line(OpenLine(com.string()));
    line.SendText("+++");
    EXPECT_EQ(line.ReadUntil("OK\r\n"), "\r\nOK\r\n");
    line.SendText("ATH\r");
    EXPECT_EQ(line.ReadUntil("OK\r\n"), "\r\nOK\r\n");
    EXPECT_FALSE(line.Ask(Request(&TPyloxMsg::BuildStatusRequest), kNoAnswerWait));
}

TEST(BoardProcess, ACommittedConfigurationSurvivesARestart) {
    TempDir dir;
    const auto state = dir.path() / "board.state";
    BoardProcess board({"--tcp", "0", "--state", state.string()});
    TPyloxConfig config;
    {
        FrameLink link(ConnectTcp(board.TcpPort()));
        const auto read = link.Ask(Request(&TPyloxMsg::BuildReadConfig));
        ASSERT_TRUE(read && ParseConfig(*read, config));
        config.Inputs[1] = {stGuasto, 7, 0xF1};
        config.SetPassword("1234");
        TPyloxMsg write;
        write.BuildWriteConfig(config);
        ASSERT_TRUE(link.Ask(write));
        EXPECT_EQ(board.Control("get staged"), "staged " + ToHex(config.Bytes(), kConfigSize));
        EXPECT_FALSE(std::filesystem::exists(state)); // staged, not committed
        ASSERT_TRUE(link.Ask(Request(&TPyloxMsg::BuildCommit)));
    }
    EXPECT_EQ(board.Control("get config"), "config " + ToHex(config.Bytes(), kConfigSize));

    board.Restart(); // killed, as a board losing power, and started again
    FrameLink link(ConnectTcp(board.TcpPort()));
    ASSERT_TRUE(link.Valid());
    TPyloxConfig readBack;
    const auto read = link.Ask(Request(&TPyloxMsg::BuildReadConfig));
    ASSERT_TRUE(read && ParseConfig(*read, readBack));
    EXPECT_EQ(readBack, config);
    const auto oldLogin = link.Ask(Login("480917"));
    ASSERT_TRUE(oldLogin);
    EXPECT_EQ(oldLogin->Data[0], 0);
    const auto newLogin = link.Ask(Login("1234"));
    ASSERT_TRUE(newLogin);
    EXPECT_EQ(newLogin->Data[0], 1);
}

TEST(BoardProcess, InjectedFaultsReachThePeer) {
    BoardProcess board({"--tcp", "0"});
    FrameLink link(ConnectTcp(board.TcpPort()));
    const auto status = Request(&TPyloxMsg::BuildStatusRequest);

    ASSERT_EQ(board.Control("refuse-login on"), "ok");
    auto answer = link.Ask(Login("480917"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Length, 1);
    EXPECT_EQ(answer->Data[0], 0);
    ASSERT_EQ(board.Control("refuse-login off"), "ok");
    answer = link.Ask(Login("480917"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Data[0], 1);

    ASSERT_EQ(board.Control("wrong-length 1"), "ok");
    answer = link.Ask(status);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Length, 70);
    ASSERT_EQ(board.Control("wrong-command 1"), "ok");
    answer = link.Ask(status);
    ASSERT_TRUE(answer);
    EXPECT_NE(answer->Command, '@');
    EXPECT_EQ(answer->Length, 71);

    // Garbage comes first on the wire, and the answer is still found behind it.
    ASSERT_EQ(board.Control("garbage 1"), "ok");
    const std::size_t before = link.Raw().size();
    answer = link.Ask(status);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Command, '@');
    ASSERT_GE(link.Raw().size(), before + std::size(kBoardGarbage));
    EXPECT_TRUE(std::equal(std::begin(kBoardGarbage), std::end(kBoardGarbage),
                           link.Raw().begin() + static_cast<long>(before)));

    // Two dropped answers; the board still acts on the requests.
    ASSERT_EQ(board.Control("drop 2"), "ok");
    EXPECT_FALSE(link.Ask(status, kNoAnswerWait));
    EXPECT_FALSE(link.Ask(Request(&TPyloxMsg::BuildNQuery), kNoAnswerWait));
    answer = link.Ask(status);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Command, '@');

    // A delayed answer comes late, not never.
    ASSERT_EQ(board.Control("delay 600 1"), "ok");
    const auto sent = std::chrono::steady_clock::now();
    answer = link.Ask(status);
    ASSERT_TRUE(answer);
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 600ms);

    // A silent board hears nothing, then answers again.
    ASSERT_EQ(board.Control("silent 1"), "ok");
    EXPECT_FALSE(link.Ask(status, kNoAnswerWait));
    std::this_thread::sleep_for(700ms);
    answer = link.Ask(status);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Command, '@');

    EXPECT_EQ(board.Control("get faults"),
              "faults drop=0 delay=0/600ms wrong-length=0 wrong-command=0 garbage=0");
    // Closing the link: the peer sees the end of the stream; a new link is answered.
    ASSERT_EQ(board.Control("close"), "ok");
    EXPECT_TRUE(link.ClosedByPeer(kAnswerWait));
    FrameLink again(ConnectTcp(board.TcpPort()));
    EXPECT_TRUE(again.Ask(status));
}

TEST(BoardProcess, TheStatusFollowsTheControlChannelAndTheDemo) {
    BoardProcess board({"--tcp", "0"});
    FrameLink link(ConnectTcp(board.TcpPort()));
    const auto status = Request(&TPyloxMsg::BuildStatusRequest);
    ASSERT_EQ(board.Control("status 12 5"), "ok");
    ASSERT_EQ(board.Control("status 1 1"), "ok");
    auto answer = link.Ask(status);
    TPyloxStatus record;
    ASSERT_TRUE(answer && ParseStatus(*answer, record));
    EXPECT_TRUE(record.BalancedTamper(1) && record.BalancedCableCut(1));
    EXPECT_FALSE(record.BalancedAlarm(1));
    EXPECT_TRUE(record.LowBattery());

    // With the demo on, the inputs change while the board is polled.
    ASSERT_EQ(board.Control("demo on"), "ok");
    std::set<uint8_t> inputs;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (inputs.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        answer = link.Ask(status);
        ASSERT_TRUE(answer && ParseStatus(*answer, record));
        inputs.insert(record.DigitalInputs);
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_GE(inputs.size(), 3u);
    ASSERT_EQ(board.Control("demo off"), "ok");
    answer = link.Ask(status);
    TPyloxStatus stopped;
    ASSERT_TRUE(answer && ParseStatus(*answer, stopped));
    std::this_thread::sleep_for(900ms);
    answer = link.Ask(status);
    ASSERT_TRUE(answer && ParseStatus(*answer, record));
    EXPECT_EQ(record, stopped);
}

// The program as started by hand: control on standard input, help, a clean stop.
class Spawned {
public:
    explicit Spawned(const std::vector<std::string>& args) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            throw std::runtime_error("pipe");
        const std::string program = (pylox::test::BinDir() / "pylox-board").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            for (int fd : {in[0], in[1], out[0], out[1]})
                ::close(fd);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = std::make_unique<FrameLink>(out[0]);
    }
    ~Spawned() {
        if (in_ >= 0)
            ::close(in_);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    void Say(const std::string& line) {
        ASSERT_EQ(::write(in_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
    std::string Hear(const std::string& until) { return out_->ReadUntil(until); }
    void Signal(int signal) { ::kill(pid_, signal); }
    // The exit status, or -1 when it did not end within the wait.
    int Exit(std::chrono::milliseconds wait = kAnswerWait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

private:
    int pid_ = -1;
    int in_ = -1;
    std::unique_ptr<FrameLink> out_;
};

TEST(BoardProgram, IsSteeredOnStandardInputAndStopsCleanly) {
    TempDir dir;
    const auto com = dir.path() / "com3";
    const auto control = dir.path() / "control";
    {
        Spawned board({"--pty", "--pty-link", com.string(), "--control", control.string(),
                       "--firmware", "2.1.0.9"});
        const std::string started = board.Hear("ready\n");
        EXPECT_NE(started.find("pty /dev/"), std::string::npos) << started;
        EXPECT_TRUE(started.ends_with("ready\n")) << started;
        board.Say("get firmware\nn-answer 999\n\n");
        EXPECT_EQ(board.Hear("\n"), "firmware 2.1.0.9\n");
        EXPECT_TRUE(board.Hear("\n").starts_with("error usage: n-answer"));
        EXPECT_TRUE(std::filesystem::is_symlink(com));
        EXPECT_TRUE(std::filesystem::is_socket(control));
        // A stop request removes what the board made.
        board.Signal(SIGTERM);
        EXPECT_EQ(board.Exit(), 0);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(com)));
        EXPECT_FALSE(std::filesystem::exists(control));
    }
    {
        Spawned board({"--tcp", "0"});
        board.Hear("ready\n");
        board.Say("quit\n");
        EXPECT_EQ(board.Hear("\n"), "ok\n");
        EXPECT_EQ(board.Exit(), 0);
    }
    {
        Spawned help({"--help"});
        const std::string text = help.Hear("--help");
        for (const char* option : {"--tcp", "--udp", "--pty-link", "--modem", "--state",
                                   "--firmware", "--n-answer", "--demo", "--control"})
            EXPECT_NE(text.find(option), std::string::npos) << option;
        EXPECT_EQ(help.Exit(), 0);
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--tcp", "70000"},
                                                {"--firmware", "1.0"},
                                                {"--bogus"},
                                                {"--state"}}) {
        Spawned board(bad);
        EXPECT_EQ(board.Exit(), 2) << bad[0];
    }
}

TEST(BoardProgram, NeverRemovesAFileInThePlaceOfItsLinks) {
    TempDir dir;
    const auto file = dir.path() / "precious";
    std::ofstream(file) << "keep me";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--pty", "--pty-link", file.string()},
          {"--tcp", "0", "--control", file.string()}}) {
        Spawned board(args);
        EXPECT_EQ(board.Exit(), 1) << args[1];
        std::ifstream in(file);
        std::string text;
        std::getline(in, text);
        EXPECT_EQ(text, "keep me");
    }
}

} // namespace
