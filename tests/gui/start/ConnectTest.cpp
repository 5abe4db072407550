// The connect command: the connection-parameter block it fills for each kind of
// link, the protocol it selects, and the connection it runs through the monitoring
// window against the board emulator (TCP, UDP, a pseudo-terminal as COM7 and an
// emulated modem as COM8).
#include "BoardProcess.h"
#include "StartFixture.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolButton>

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace pylox::test;

namespace {

std::filesystem::path ComLink(int number) {
    return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Orvex" / "dosdevices" /
           ("com" + std::to_string(number));
}

std::string Field(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

class Connecting : public AllWindows {
protected:
    void SetUp() override {
        AllWindows::SetUp();
        board = std::make_unique<BoardProcess>(std::vector<std::string>{
            "--tcp", "0", "--udp", "0", "--pty", "--pty-link", ComLink(7).string(), "--state",
            (dir.path() / "state").string()});
        Globals.BoardPassword = "480917";
        ShowLoggedOn();
        StartFrm->PcConfig.CommPort = 7;
    }
    void TearDown() override {
        board.reset();
        AllWindows::TearDown();
    }

    // Presses the connect button; true when the monitoring window showed, that is
    // when the board's first status arrived. It is closed then with its Exit button.
    bool Connect() {
        bool shown = false;
        WhenVisible("MainFrm", [&shown](QWidget*) {
            shown = true;
            MainFrm->BitBtn1->click();
        });
        StartFrm->CollegaBtn->click();
        return shown;
    }

    // How many logins the board has answered.
    int Logins(BoardProcess& on) {
        const std::string stats = on.Control("stats");
        const auto at = stats.find(" 23=");
        return at == std::string::npos ? 0 : std::stoi(stats.substr(at + 4));
    }

    TempDir dir;
    std::unique_ptr<BoardProcess> board;
};

TEST_F(Connecting, EachAddressSwitchFillsItsKindAndReachesTheBoard) {
    const std::string tcp = "127.0.0.1:" + std::to_string(board->TcpPort());
    const std::string udp = "127.255.255.255:" + std::to_string(board->UdpPort());
    const std::string longHost(150, 'h');
    const struct {
        const char* what;
        std::function<void()> switches;
        uint8_t kind;
        std::string host;
        int32_t port;
    } cases[] = {
        {"no address switch: serial", [] {}, 1, "", 0},
        {"-tcpip host:port",
         [&] {
             Globals.SwitchTcpIp = true;
             Globals.LinkAddress = tcp;
         },
         3, "127.0.0.1", board->TcpPort()},
        {"-bftcp",
         [&] {
             Globals.SwitchBfTcp = true;
             Globals.LinkAddress = tcp;
         },
         4, "127.0.0.1", board->TcpPort()},
        {"-bfudp",
         [&] {
             Globals.SwitchBfUdp = true;
             Globals.LinkAddress = udp;
         },
         5, "127.255.255.255", board->UdpPort()},
        {"-bfudp and -bftcp",
         [&] {
             Globals.SwitchBfUdp = Globals.SwitchBfTcp = true;
             Globals.LinkAddress = tcp;
         },
         4, "127.0.0.1", board->TcpPort()},
        {"-bfudp without a colon: serial",
         [] {
             Globals.SwitchBfUdp = true;
             Globals.LinkAddress = "127.255.255.255";
         },
         1, "", 0},
        {"-bftcp with a port that is no number: serial, the host kept",
         [] {
             Globals.SwitchBfTcp = true;
             Globals.LinkAddress = "127.0.0.1:30x0";
         },
         1, "127.0.0.1", 0},
        {"-bfudp with a host longer than its field: serial, the host cut",
         [&] {
             Globals.SwitchBfUdp = true;
             Globals.LinkAddress = longHost + ":";
         },
         1, longHost.substr(0, 99), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Globals.SwitchTcpIp = Globals.SwitchBfTcp = Globals.SwitchBfUdp = false;
        Globals.LinkAddress.clear();
        c.switches();
        // What an earlier connect left in the network fields; the modem's stay 0.
        StartFrm->Params = {};
        std::strcpy(StartFrm->Params.HostAddress, "earlier");
        std::strcpy(StartFrm->Params.ExtraText1, "earlier");
        StartFrm->Params.Port = 4242;
        const int logins = Logins(*board);
        EXPECT_TRUE(Connect());
        EXPECT_EQ(Logins(*board), logins + 1);
        EXPECT_TRUE(StartFrm->isVisible()) << "the start window comes back";

        const TConnParams& p = StartFrm->Params;
        EXPECT_EQ(p.Kind, c.kind);
        // The fields are packed: compared by value, as gtest takes references.
        EXPECT_EQ(int{p.ComPort}, 7);
        EXPECT_EQ(int{p.Baud}, 38400);
        EXPECT_EQ(int{p.DataBits}, 8);
        EXPECT_EQ(int{p.LineOption}, 0);
        EXPECT_EQ(p.UseModem, 0);
        EXPECT_EQ(p.DialOption, 0);
        EXPECT_EQ(p.ModemInit[0], 0);
        const std::string host = Field(p.HostAddress, sizeof(p.HostAddress));
        if (c.kind >= 3) {
            EXPECT_EQ(host, c.host);
            EXPECT_EQ(int{p.Port}, c.port);
            EXPECT_EQ(p.ExtraText1[0], 0);
        } else {
            // Serial: only a broadcast host before a colon replaces the earlier one.
            EXPECT_EQ(host, c.host.empty() ? "earlier" : c.host);
            EXPECT_EQ(p.HostAddress[sizeof(p.HostAddress) - 1], 0);
            EXPECT_EQ(int{p.Port}, 4242);
            EXPECT_EQ(Field(p.ExtraText1, sizeof(p.ExtraText1)), "earlier");
        }
    }
}

TEST_F(Connecting, TcpIpWithoutAPortTakesPort3000) {
    // No host at all fails at once in the link library: the block is what counts here.
    Globals.SwitchTcpIp = true;
    QString message;
    AnswerMessageBox(&message);
    EXPECT_FALSE(Connect());
    EXPECT_EQ(message, "Impossibile effettuare il collegamento");
    EXPECT_EQ(StartFrm->Params.Kind, 3);
    EXPECT_EQ(int{StartFrm->Params.Port}, 3000);
    EXPECT_EQ(StartFrm->Params.HostAddress[0], 0);
    EXPECT_TRUE(StartFrm->isVisible());
}

TEST_F(Connecting, ATcpPortThatIsNoNumberShowsTheErrorAndConnectsNothing) {
    Globals.SwitchTcpIp = true;
    Globals.LinkAddress = "127.0.0.1:" + std::to_string(board->TcpPort()) + "x";
    QString message;
    AnswerMessageBox(&message);
    EXPECT_FALSE(Connect());
    EXPECT_TRUE(message.contains(QString::number(board->TcpPort()) + "x")) << message.toStdString();
    EXPECT_EQ(Logins(*board), 0);
    EXPECT_TRUE(StartFrm->isVisible());
    EXPECT_EQ(board->Control("stats"), "stats") << "the board heard nothing";
}

TEST_F(Connecting, TheStatusBarShowsTheTranslatedHintUnderTheMouse) {
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(StartFrm->CollegaBtn, &enter);
    EXPECT_EQ(StartFrm->StatusBar->currentMessage(), "Effettua il collegamento con la scheda");
    QApplication::sendEvent(StartFrm->ChiudiBtn, &enter);
    EXPECT_EQ(StartFrm->StatusBar->currentMessage(), "Premere per uscire dal programma");
    // A connection leaves the status bar linked to the hints.
    Globals.SwitchTcpIp = true;
    Globals.LinkAddress = "127.0.0.1:" + std::to_string(board->TcpPort());
    ASSERT_TRUE(Connect());
    QApplication::sendEvent(StartFrm->OpzioniBtn, &enter);
    EXPECT_EQ(StartFrm->StatusBar->currentMessage(), "Opzioni del progamma");
}

// A listener that keeps the first byte a client sends: the start mark of the
// protocol variant the link library speaks.
class FirstByte {
public:
    FirstByte() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(socket_, 4) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no listener");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            pollfd wait{socket_, POLLIN, 0};
            if (::poll(&wait, 1, 20000) != 1)
                return;
            const int client = ::accept(socket_, nullptr, nullptr);
            pollfd data{client, POLLIN, 0};
            unsigned char byte = 0;
            if (::poll(&data, 1, 20000) == 1 && ::recv(client, &byte, 1, 0) == 1)
                first_ = byte;
            ::close(client);
        });
    }
    ~FirstByte() {
        ::shutdown(socket_, SHUT_RDWR);
        thread_.join();
        ::close(socket_);
    }
    int Port() const { return port_; }
    int Byte() const { return first_; }

private:
    int socket_ = -1;
    int port_ = 0;
    std::atomic<int> first_{-1};
    std::thread thread_;
};

TEST_F(Connecting, ConnectAtOnceSpeaksTheLegacyProtocolUnlessTheNewOneIsAsked) {
    const struct {
        bool connect, newProtocol;
        int mark; // 0xA5: current protocol, 0x7E: legacy
    } cases[] = {
        {false, false, 0xA5}, {false, true, 0xA5}, {true, false, 0x7E}, {true, true, 0xA5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "connect " << c.connect << ", new " << c.newProtocol);
        FirstByte listener;
        Globals.SwitchTcpIp = true;
        Globals.LinkAddress = "127.0.0.1:" + std::to_string(listener.Port());
        Globals.SwitchConnect = c.connect;
        Globals.SwitchNewProtocol = c.newProtocol;
        QString message;
        AnswerMessageBox(&message);
        StartFrm->CollegaBtnClick();
        EXPECT_EQ(message, "Impossibile effettuare il collegamento");
        EXPECT_EQ(listener.Byte(), c.mark);
        EXPECT_TRUE(StartFrm->isVisible());
    }
}

TEST_F(Connecting, TheModemNumberIsAskedAtEveryConnectAndCutToItsField) {
    BoardProcess modem({"--modem", "--pty-link", ComLink(8).string()});
    StartFrm->PcConfig.CommPort = 8;
    Globals.SwitchOnline = true;
    const auto answer = [](const QString& number, bool* asked) {
        WhenVisible("InputBox", [=](QWidget* w) {
            auto* box = static_cast<QInputDialog*>(w);
            *asked = box->windowTitle() == "Numero Telefonico" && box->labelText() == "#" &&
                     box->textValue().isEmpty();
            box->setTextValue(number);
            box->accept();
        });
    };
    const std::string longNumber(120, '7');
    bool asked = false;
    answer(QString::fromStdString(longNumber), &asked);
    ASSERT_TRUE(Connect());
    EXPECT_TRUE(asked);
    const TConnParams& p = StartFrm->Params;
    EXPECT_EQ(p.Kind, 2);
    EXPECT_EQ(p.UseModem, 1);
    EXPECT_EQ(p.DialOption, 119);
    EXPECT_EQ(int{p.ComPort}, 8);
    EXPECT_EQ(Field(p.ModemInit, sizeof(p.ModemInit)), "AT&D0&K0X3");
    EXPECT_EQ(Field(p.PhoneNumber, sizeof(p.PhoneNumber)), longNumber.substr(0, 98));
    EXPECT_EQ(p.HostAddress[0], 0) << "no network field is written";
    EXPECT_EQ(Logins(modem), 1);

    asked = false;
    answer("0212345", &asked);
    ASSERT_TRUE(Connect());
    EXPECT_TRUE(asked);
    EXPECT_EQ(Field(p.PhoneNumber, sizeof(p.PhoneNumber)), "0212345");
    EXPECT_EQ(Logins(modem), 2);
}

TEST_F(Connecting, AnEmptyOrCancelledModemNumberConnectsNothing) {
    Globals.SwitchOnline = true;
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "empty");
        StartFrm->Params = {};
        WhenVisible("InputBox", [cancel](QWidget* w) {
            auto* box = static_cast<QInputDialog*>(w);
            box->setTextValue(cancel ? "0212345" : "");
            cancel ? box->reject() : box->accept();
        });
        EXPECT_FALSE(Connect());
        EXPECT_EQ(StartFrm->Params.UseModem, 0);
        EXPECT_EQ(StartFrm->Params.Kind, 2);
        EXPECT_EQ(StartFrm->Params.PhoneNumber[0], 0);
        EXPECT_TRUE(StartFrm->isVisible());
    }
    EXPECT_EQ(board->Control("stats"), "stats") << "the board heard nothing";
}

} // namespace
