#include "BoardProcess.h"
#include "LinkFixture.h"

#include <atomic>
#include <filesystem>
#include <thread>

using pylox::test::BoardProcess;
using pylox::test::LoopbackParams;

namespace {

// The start of a connection, frame by frame, then a status poll.
void StartSequence(uint32_t firmware) {
    TPyloxMsg request, answer;
    request.BuildLogin("480917");
    ASSERT_TRUE(LinkFixture::Send(request, answer));
    EXPECT_EQ(answer.Length, 1);
    EXPECT_NE(answer.Data[0], 0);

    TPyloxMsg version;
    version.BuildVersionRequest();
    ASSERT_TRUE(LinkFixture::Send(version, answer));
    uint32_t word = 0;
    ASSERT_TRUE(ParseVersion(*answer.Frame(), word));
    EXPECT_EQ(word, firmware);

    // Older firmware is not asked the 'N' question.
    if (word >= 0x01000108) {
        TPyloxMsg n;
        n.BuildNQuery();
        ASSERT_TRUE(LinkFixture::Send(n, answer));
        uint32_t nAnswer = 0;
        ASSERT_TRUE(answer.ParseNAnswer(nAnswer));
        EXPECT_EQ(nAnswer, 14u);
    }

    TPyloxMsg read;
    read.BuildReadConfig();
    ASSERT_TRUE(LinkFixture::Send(read, answer));
    TPyloxConfig config;
    ASSERT_TRUE(ParseConfig(*answer.Frame(), config));
    EXPECT_EQ(config.GetPassword(), "480917");

    TPyloxStatus status;
    ASSERT_TRUE(LinkFixture::Status(status));
    EXPECT_EQ(status.BoardId().Id32, 0x789ABCDEu);
}

class Link : public LinkFixture {};

TEST_F(Link, TcpCarriesTheWholeStartInBothProtocols) {
    BoardProcess board({"--tcp", "0", "--firmware", "1.0.1.8"});
    for (int protocol : {1, 0}) {
        orvex::ociSetProtocol(protocol);
        ASSERT_TRUE(Connect(LoopbackParams(3, board.TcpPort())));
        EXPECT_TRUE(orvex::ociIsConnected());
        StartSequence(0x01000108);
        orvex::ociDeleteConnection();
    }
}

TEST_F(Link, UdpBroadcastAndTcpBroadcastReachTheBoard) {
    BoardProcess board({"--tcp", "0", "--udp", "0", "--firmware", "1.0.1.7"});
    ASSERT_TRUE(Connect(Network(5, "127.255.255.255", board.UdpPort())));
    StartSequence(0x01000107);
    orvex::ociDeleteConnection();
    ASSERT_TRUE(Connect(LoopbackParams(4, board.TcpPort())));
    StartSequence(0x01000107);
}

TEST_F(Link, SerialAndModemLinksRunOverAPseudoTerminal) {
    pylox::test::ScopedConfigHome home;
    const auto links = home.path() / "Orvex" / "dosdevices";
    std::filesystem::create_directories(links);
    {
        BoardProcess board({"--pty", "--pty-link", (links / "com7").string()});
        TConnParams params = Network(1, "", 0);
        params.ComPort = 7;
        ASSERT_TRUE(Connect(params));
        StartSequence(0x01000108);
        orvex::ociDeleteConnection();
    }
    {
        BoardProcess board({"--modem", "--pty-link", (links / "com8").string()});
        TConnParams params = Network(2, "", 0);
        params.ComPort = 8;
        params.UseModem = 1;
        params.DialOption = 119;
        std::strcpy(params.ModemInit, "AT&D0&K0X3");
        std::strcpy(params.PhoneNumber, "0432123456");
        ASSERT_TRUE(Connect(params));
        StartSequence(0x01000108);
        // The board hangs up; the next request dials again.
        ASSERT_EQ(board.Control("close"), "ok");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        TPyloxStatus status;
        EXPECT_TRUE(Status(status));
    }
}

TEST_F(Link, ACommittedConfigurationSurvivesABoardRestart) {
    pylox::test::TempDir dir;
    BoardProcess board({"--tcp", "0", "--state", (dir.path() / "board.state").string()});
    ASSERT_TRUE(Connect(LoopbackParams(3, board.TcpPort())));

    TPyloxConfig config;
    DefaultConfig(config);
    config.Inputs[2] = {stTamper, 13, 0x81};
    config.SetPassword("abc");
    TPyloxMsg write, commit, answer;
    write.BuildWriteConfig(config);
    ASSERT_TRUE(Send(write, answer));
    commit.BuildCommit();
    ASSERT_TRUE(Send(commit, answer));

    // The board loses power; the link is re-opened inside the next request.
    board.Restart();
    TPyloxMsg read;
    read.BuildReadConfig();
    ASSERT_TRUE(Send(read, answer));
    TPyloxConfig readBack;
    ASSERT_TRUE(ParseConfig(*answer.Frame(), readBack));
    EXPECT_EQ(readBack, config);
}

TEST_F(Link, TheFirstRequestAfterTheBoardWasKilledReachesItAgain) {
    pylox::test::ScopedConfigHome home;
    const auto links = home.path() / "Orvex" / "dosdevices";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        TConnParams params;
    };
    TConnParams serial = Network(1, "", 0);
    serial.ComPort = 7;
    TConnParams modem = Network(2, "", 0);
    modem.ComPort = 8;
    modem.UseModem = 1;
    modem.DialOption = 119;
    std::strcpy(modem.ModemInit, "AT&D0&K0X3");
    std::strcpy(modem.PhoneNumber, "0432123456");
    std::vector<Case> cases = {
        {"tcp", {"--tcp", "0"}, LoopbackParams(3, 0)},
        {"udp", {"--udp", "0"}, Network(5, "127.255.255.255", 0)},
        {"serial", {"--pty", "--pty-link", (links / "com7").string()}, serial},
        {"modem", {"--modem", "--pty-link", (links / "com8").string()}, modem},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoardProcess board(c.args);
        if (c.params.Kind == 3)
            c.params.Port = board.TcpPort();
        if (c.params.Kind == 5)
            c.params.Port = board.UdpPort();
        ASSERT_TRUE(Connect(c.params));
        TPyloxStatus status;
        ASSERT_TRUE(Status(status));
        board.Restart();
        EXPECT_TRUE(Status(status));
        EXPECT_TRUE(orvex::ociIsConnected());
        orvex::ociDeleteConnection();
        EXPECT_FALSE(orvex::ociIsConnected());
    }
}

TEST_F(Link, FaultsOfTheBoardFailTheRequestAndTheLinkRecovers) {
    BoardProcess board({"--tcp", "0"});
    ASSERT_TRUE(Connect(LoopbackParams(3, board.TcpPort())));
    TPyloxStatus status;
    ASSERT_TRUE(Status(status));

    // Garbage before an answer is skipped.
    ASSERT_EQ(board.Control("garbage 1"), "ok");
    EXPECT_TRUE(Status(status));
    // A wrong length or command arrives as such; the checker refuses it.
    ASSERT_EQ(board.Control("wrong-length 1"), "ok");
    EXPECT_FALSE(Status(status));
    ASSERT_EQ(board.Control("wrong-command 1"), "ok");
    EXPECT_FALSE(Status(status));
    // A dropped or late answer fails within the timeout; the late one is not
    // taken for the answer of the next request.
    ASSERT_EQ(board.Control("drop 1"), "ok");
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(Status(status));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    ASSERT_EQ(board.Control("delay 1500 1"), "ok");
    EXPECT_FALSE(Status(status));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    TPyloxMsg version, answer;
    version.BuildVersionRequest();
    ASSERT_TRUE(Send(version, answer));
    EXPECT_EQ(answer.Command, 0x22);
    // A closed link is re-opened by the next request.
    ASSERT_EQ(board.Control("close"), "ok");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(Status(status));
    // A board that went silent fails requests, then answers again.
    ASSERT_EQ(board.Control("silent 2"), "ok");
    EXPECT_FALSE(Status(status));
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_TRUE(Status(status));
}

TEST_F(Link, ARefusedLoginIsAnAnswerWithDataZero) {
    BoardProcess board({"--tcp", "0"});
    ASSERT_TRUE(Connect(LoopbackParams(3, board.TcpPort())));
    TPyloxMsg login, answer;
    login.BuildLogin("wrong");
    ASSERT_TRUE(Send(login, answer));
    EXPECT_EQ(answer.Length, 1);
    EXPECT_EQ(answer.Data[0], 0);
}

TEST_F(Link, WaitingForAnAbsentBoardEndsAtItsTimeout) {
    // A port nobody listens on: refused again and again until the wait ends.
    pylox::test::TempDir dir;
    const auto before = std::chrono::steady_clock::now();
    const TConnParams params = LoopbackParams(3, 1);
    ASSERT_TRUE(orvex::ociCreateNewConnection(&params));
    EXPECT_FALSE(orvex::ociWaitToConnect(800));
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(500));
    EXPECT_LT(waited, std::chrono::seconds(5));
}

TEST_F(Link, IsValidRefusesParametersThatCannotWork) {
    const TConnParams cases[] = {Network(3, "", 3000), LoopbackParams(3, 0),
                                 LoopbackParams(9, 3000)};
    for (const auto& params : cases) {
        orvex::ociCreateNewConnection(&params);
        EXPECT_FALSE(orvex::ociIsValid());
    }
    // Text fields without a terminator are read within their size.
    TConnParams unterminated = Network(3, "", 3000);
    std::memset(unterminated.HostAddress, 'a', sizeof(unterminated.HostAddress));
    std::memset(unterminated.ExtraText1, 'b', sizeof(unterminated.ExtraText1));
    ASSERT_TRUE(orvex::ociCreateNewConnection(&unterminated));
    EXPECT_TRUE(orvex::ociIsValid());
    EXPECT_FALSE(orvex::ociWaitToConnect(300));
}

TEST_F(Link, EachLogLevelAddsItsLines) {
    pylox::test::TempDir dir;
    BoardProcess board({"--tcp", "0"});
    // The line each level brings in, by the lowest level that writes it.
    const std::pair<int, const char*> lines[] = {{1, "request failed: no answer to '@'"},
                                                 {2, "TCP connected to 127.0.0.1"},
                                                 {3, "answer '@' 71 bytes"},
                                                 {4, "tx: A5 5A 40"},
                                                 {4, "rx: A5 5A 40"}};
    for (int level = 0; level <= 4; ++level) {
        SCOPED_TRACE(level);
        const auto log = dir.path() / ("log" + std::to_string(level) + ".txt");
        orvex::ociSetLog(log.c_str(), level);
        ASSERT_TRUE(Connect(LoopbackParams(3, board.TcpPort())));
        TPyloxStatus status;
        ASSERT_TRUE(Status(status));
        ASSERT_EQ(board.Control("drop 1"), "ok");
        EXPECT_FALSE(Status(status));
        orvex::ociDeleteConnection();
        orvex::ociSetLog("", 0);
        const std::string text = pylox::test::ReadFile(log);
        EXPECT_EQ(std::filesystem::exists(log), level > 0);
        for (const auto& [lowest, line] : lines)
            EXPECT_EQ(text.find(line) != std::string::npos, level >= lowest) << line << "\n"
                                                                             << text;
    }
}

TEST_F(Link, AWaitInOneThreadHoldsUpNoOther) {
    // Nobody listens there: the wait would go on for its whole minute.
    const TConnParams params = LoopbackParams(3, 1);
    ASSERT_TRUE(orvex::ociCreateNewConnection(&params));
    std::atomic<bool> waited{false}, connected{true};
    std::thread connector([&] {
        connected = orvex::ociWaitToConnect(60000);
        waited = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(orvex::ociIsValid());
    EXPECT_FALSE(orvex::ociIsConnected());
    EXPECT_FALSE(waited);
    // Deleting the connection ends the wait at its next attempt.
    orvex::ociDeleteConnection();
    EXPECT_FALSE(orvex::ociIsValid());
    connector.join();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_FALSE(connected);
}

TEST_F(Link, TheUnusedEntryPointsAreHarmless) {
    EXPECT_FALSE(orvex::ociIsBusy());
    EXPECT_FALSE(orvex::ociDatagramRequest(nullptr, nullptr));
    EXPECT_FALSE(orvex::ociRequest(nullptr, nullptr));
    EXPECT_FALSE(orvex::ociConnectedRequest(nullptr, nullptr));
    EXPECT_FALSE(orvex::ociCreateNewConnection(nullptr));
    EXPECT_FALSE(orvex::ociSuspendConnection());
    EXPECT_FALSE(orvex::ociResumeConnection());
    orvex::ociSetNotifyRx({});
    orvex::ociSetNotifyError({});
    orvex::ociSetUnsyncNotifyRx({});
    orvex::ociSetUnsyncNotifyError({});
    EXPECT_EQ(orvex::ociGetNotifyRx().Code, nullptr);
    orvex::ociLog(1, nullptr);
    orvex::ociSetLog(nullptr, 3);
    orvex::ociSetLog("/", 4); // a folder: no log, no harm
    orvex::ociLog(-7, "text");
    orvex::ociCheckSynchronize();
    orvex::ociSetTxTimeout(1234);
    EXPECT_EQ(orvex::ociGetTxTimeout(), 1234u);
    // Without a connection nothing waits and nothing is sent.
    EXPECT_FALSE(orvex::ociIsValid());
    EXPECT_FALSE(orvex::ociWaitToConnect(60000));
    TZelkBasicMsg request{}, answer{};
    request.Length = 255;
    EXPECT_FALSE(orvex::ociConnectedRequest(&request, &answer));
    orvex::ociDeleteConnection();
    orvex::ociSetLog("", 0);
}

TEST_F(Link, ASuspendedConnectionRefusesRequestsUntilResumed) {
    BoardProcess board({"--tcp", "0"});
    ASSERT_TRUE(Connect(LoopbackParams(3, board.TcpPort())));
    TPyloxStatus status;
    ASSERT_TRUE(Status(status));
    EXPECT_TRUE(orvex::ociSuspendConnection());
    EXPECT_FALSE(orvex::ociIsConnected());
    EXPECT_FALSE(Status(status));
    EXPECT_FALSE(orvex::ociWaitToConnect(300));
    EXPECT_TRUE(orvex::ociResumeConnection());
    EXPECT_TRUE(Status(status));
    EXPECT_TRUE(orvex::ociIsConnected());
}

} // namespace

namespace {

struct Seen {
    int frames = 0;
    uint8_t command = 0;
};

void OnRx(void* data, const TZelkBasicMsg* frame) {
    auto* seen = static_cast<Seen*>(data);
    ++seen->frames;
    seen->command = frame->Command;
}

TEST_F(Link, NotificationsReportAnswersImmediatelyOrWhenSynchronised) {
    BoardProcess board({"--tcp", "0"});
    Seen unsync, sync;
    ASSERT_TRUE(Connect(LoopbackParams(3, board.TcpPort())));
    orvex::ociSetUnsyncNotifyRx({reinterpret_cast<void*>(&OnRx), &unsync});
    orvex::ociSetNotifyRx({reinterpret_cast<void*>(&OnRx), &sync});
    TPyloxStatus status;
    ASSERT_TRUE(Status(status));
    EXPECT_EQ(unsync.frames, 1);
    EXPECT_EQ(unsync.command, '@');
    EXPECT_EQ(sync.frames, 0);
    orvex::ociCheckSynchronize();
    EXPECT_EQ(sync.frames, 1);
    orvex::ociSetUnsyncNotifyRx({});

    // Answers nobody collects are kept up to a bound, the newest last.
    sync = {};
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(Status(status));
    TPyloxMsg version, answer;
    version.BuildVersionRequest();
    ASSERT_TRUE(Send(version, answer));
    orvex::ociCheckSynchronize();
    EXPECT_EQ(sync.frames, 256);
    EXPECT_EQ(sync.command, 0x22);
    orvex::ociSetNotifyRx({});
}

} // namespace
