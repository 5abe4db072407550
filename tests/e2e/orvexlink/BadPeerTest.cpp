// Far sides that answer with bytes no board would send, over every carrier.
#include "LinkFixture.h"
#include "OrvexFraming.h"
#include "ScriptedPeer.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <termios.h>

namespace {

using Bytes = std::vector<uint8_t>;
using std::chrono::steady_clock;

Bytes StatusFrame(int protocol = orvexlink::kProtocolCurrent) {
    TZelkBasicMsg frame{};
    frame.Command = '@';
    frame.Length = 71;
    frame.Data[0] = 0x5A;
    return orvexlink::EncodeFrame(frame, protocol);
}

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Reply {
    const char* name;
    Bytes bytes;
    bool answered;
};

std::vector<Reply> Replies() {
    Bytes wrongCheck = StatusFrame();
    wrongCheck.back() ^= 0x01;
    Bytes oversized = StatusFrame();
    oversized[9] = 0xF0; // a length of 240
    Bytes truncated = StatusFrame();
    truncated.resize(30);
    const Bytes garbage = {0xA5, 0x5A, 0xA5, 0x00, 0x13, 0x37, 0x7E, 0xFF};
    return {
        // The peer and the carrier work: a good answer gets through, also behind
        // garbage.
        {"good", StatusFrame(), true},
        {"garbage then good", Join(garbage, StatusFrame()), true},
        // Asked in the current variant, a board does not answer in the legacy one.
        {"other variant", StatusFrame(orvexlink::kProtocolLegacy), false},
        {"silent", {}, false},
        {"garbage", garbage, false},
        {"wrong check", wrongCheck, false},
        {"length over 231", oversized, false},
        {"truncated", truncated, false},
    };
}

class BadPeer : public LinkFixture {
protected:
    pylox::test::ScopedConfigHome home_;
    std::filesystem::path DosDevices() const { return home_.path() / "Orvex" / "dosdevices"; }
};

TEST_F(BadPeer, EveryDamagedAnswerFailsWithinTheTimeout) {
    orvex::ociSetTxTimeout(400);
    for (Carrier carrier : {Carrier::Tcp, Carrier::Udp, Carrier::Serial}) {
        for (const Reply& reply : Replies()) {
            SCOPED_TRACE(std::string(CarrierName(carrier)) + ": " + reply.name);
            ScriptedPeer peer(
                carrier, [&](const Bytes&) { return reply.bytes; }, DosDevices());
            ASSERT_TRUE(Connect(peer.Params()));
            TPyloxMsg request, answer;
            request.BuildStatusRequest();
            const auto before = steady_clock::now();
            EXPECT_EQ(Send(request, answer), reply.answered);
            EXPECT_LT(steady_clock::now() - before, std::chrono::seconds(3));
            if (reply.answered) {
                EXPECT_EQ(answer.Command, '@');
                EXPECT_EQ(answer.Length, 71);
                EXPECT_EQ(answer.Data[0], 0x5A);
            }
            orvex::ociDeleteConnection();
        }
    }
}

// A Hayes modem written here: it records the command lines it is given and
// answers the dial with the result under test; after CONNECT it answers frames.
class ScriptedModem {
public:
    ScriptedModem(std::string initResult, std::string dialResult)
        : initResult_(std::move(initResult)), dialResult_(std::move(dialResult)) {}

    Bytes operator()(const Bytes& received) {
        std::lock_guard lock(mutex_);
        if (online_)
            return StatusFrame();
        std::string reply;
        for (uint8_t byte : received) {
            if (byte != '\r') {
                line_ += static_cast<char>(byte);
                continue;
            }
            lines_.push_back(line_);
            const bool dial = line_.rfind("ATD", 0) == 0;
            line_.clear();
            const std::string& result = dial ? dialResult_ : initResult_;
            if (!result.empty())
                reply += "\r\n" + result + "\r\n";
            online_ = dial && result.rfind("CONNECT", 0) == 0;
        }
        return {reply.begin(), reply.end()};
    }

    std::vector<std::string> Lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::string initResult_, dialResult_, line_;
    std::vector<std::string> lines_;
    bool online_ = false;
};

TEST_F(BadPeer, AModemConnectsOnlyOnConnect) {
    struct Case {
        const char* init;
        const char* dial;
        bool connects;
    };
    const Case cases[] = {
        {"OK", "CONNECT 38400", true}, {"OK", "BUSY", false}, {"OK", "NO CARRIER", false},
        {"OK", "NO DIALTONE", false},  {"OK", "", false},     {"ERROR", "CONNECT", false},
        {"", "CONNECT", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.init) + " / " + c.dial);
        ScriptedModem modem(c.init, c.dial);
        ScriptedPeer peer(Carrier::Serial, std::ref(modem), DosDevices());
        TConnParams params = peer.Params();
        params.Kind = 2;
        params.UseModem = 1;
        params.DialOption = 119;
        std::strcpy(params.ModemInit, "AT&D0&K0X3");
        std::strcpy(params.PhoneNumber, "0432123456");
        ASSERT_TRUE(orvex::ociCreateNewConnection(&params));
        ASSERT_TRUE(orvex::ociIsValid());
        const auto before = steady_clock::now();
        EXPECT_EQ(orvex::ociWaitToConnect(1500), c.connects);
        EXPECT_LT(steady_clock::now() - before, std::chrono::seconds(4));
        const std::vector<std::string> lines = modem.Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "AT&D0&K0X3");
        if (c.connects) {
            EXPECT_EQ(lines, (std::vector<std::string>{"AT&D0&K0X3", "ATDw0432123456"}));
            TPyloxStatus status;
            EXPECT_TRUE(Status(status));
        }
        orvex::ociDeleteConnection();
    }
}

TEST_F(BadPeer, ModemTextsWithoutTerminatorAreSentWithinTheirSize) {
    ScriptedModem modem("OK", "CONNECT");
    ScriptedPeer peer(Carrier::Serial, std::ref(modem), DosDevices());
    TConnParams params = peer.Params();
    params.Kind = 2;
    params.UseModem = 1;
    params.DialOption = 119;
    // Both fields filled to the last byte; the bytes after each are not digits.
    const std::string init = "AT" + std::string(sizeof(params.ModemInit) - 2, 'E');
    const std::string number(sizeof(params.PhoneNumber), '5');
    std::memcpy(params.ModemInit, init.data(), sizeof(params.ModemInit));
    std::memcpy(params.PhoneNumber, number.data(), sizeof(params.PhoneNumber));
    std::memset(params.HostAddress, 'h', sizeof(params.HostAddress));
    ASSERT_TRUE(orvex::ociCreateNewConnection(&params));
    ASSERT_TRUE(orvex::ociWaitToConnect(3000));
    EXPECT_EQ(modem.Lines(), (std::vector<std::string>{init, "ATDw" + number}));
}

// A pseudo-terminal always carries 8 bits without parity, whatever it is told, so
// what shows here is the speed, the stop bits and the raw mode.
TEST_F(BadPeer, TheSerialLineIsRawWithTheGivenSpeed) {
    struct Case {
        int32_t baud;
        speed_t speed;
    };
    const Case cases[] = {{38400, B38400}, {9600, B9600}, {12345, B38400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baud);
        ScriptedPeer peer(
            Carrier::Serial, [](const Bytes&) { return StatusFrame(); }, DosDevices());
        // The peer's line starts out cooked, with two stop bits.
        termios before{};
        tcgetattr(peer.Line(), &before);
        before.c_cflag |= CSTOPB;
        before.c_lflag |= ICANON | ECHO;
        cfsetospeed(&before, B1200);
        tcsetattr(peer.Line(), TCSANOW, &before);
        TConnParams params = peer.Params();
        params.Baud = c.baud;
        ASSERT_TRUE(Connect(params));
        termios line{};
        ASSERT_EQ(tcgetattr(peer.Line(), &line), 0);
        EXPECT_EQ(cfgetospeed(&line), c.speed);
        EXPECT_EQ(cfgetispeed(&line), c.speed);
        EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(line.c_iflag & (IXON | ICRNL), 0u);
        orvex::ociDeleteConnection();
    }
}

} // namespace
