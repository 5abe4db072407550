// The monitoring window running whole connections with the real connection thread,
// the real link library and the board emulator, driven as a user would.
#include "MonitorFixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <chrono>
#include <map>
#include <vector>

using namespace pylox::test;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kSilver(192, 192, 192);

const char* const kConnectFailed = "Impossibile effettuare il collegamento";
const char* const kWriteFailed = "Errore nella memorizzazione della configurazione";

// Counts the showings of a window and runs a check at each, before its show hook.
class ShowWatch : public QObject {
public:
    explicit ShowWatch(QWidget* window) { window->installEventFilter(this); }
    int shows = 0;
    std::function<void()> atShow;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            ++shows;
            if (atShow)
                atShow();
        }
        return false;
    }
};

QColor Painted(TLed* led) {
    return led->grab().toImage().pixelColor(led->width() / 2, led->height() / 2);
}

class Monitor : public RealBoard {
protected:
    std::vector<TLed*> Lamps() const {
        return {main.Input1Led,   main.Input2Led,   main.Input3Led,   main.Input4Led,
                main.LowBatLed,   main.Allarme1Led, main.Tamper1Led,  main.Cavo1Led,
                main.Allarme2Led, main.Tamper2Led,  main.Cavo2Led,    main.Allarme3Led,
                main.Tamper3Led,  main.Cavo3Led,    main.Allarme4Led, main.Tamper4Led,
                main.Cavo4Led,    main.Output1Led,  main.Output2Led};
    }
    // The names of the lit lamps, but the link lamp.
    QStringList Lit() const {
        QStringList lit;
        for (TLed* led : Lamps())
            if (led->Value())
                lit << led->objectName();
        return lit;
    }
    // Runs one connection; while the window is shown, runs user and then presses "&Exit".
    void Connect(const std::function<void()>& user) {
        OnShown exit(&main, [&] {
            user();
            main.BitBtn1->click();
        });
        main.Connect(Params());
    }
    bool WaitForLink(bool ok, std::chrono::milliseconds limit = 15000ms) {
        return WaitFor([&] { return main.LinkLed->Value() == ok; }, limit);
    }
};

TEST_F(Monitor, ABoardThatRefusesTheLoginGivesOneMessageAndNoWindow) {
    ASSERT_EQ(board->Control("refuse-login on"), "ok");
    ShowWatch watch(&main);
    MessageBoxes boxes;
    main.Connect(Params());
    EXPECT_EQ(boxes.texts, QStringList{kConnectFailed});
    EXPECT_EQ(watch.shows, 0);
    EXPECT_EQ(main.Connection(), nullptr);
    EXPECT_EQ(Answered('@'), 0);
}

TEST_F(Monitor, TheBoardPasswordComesFromTheCommandLineOrThePrompt) {
    struct Case {
        const char* commandLine;
        bool prompted;
        const char* typed;
        bool monitored;
    };
    const Case cases[] = {
        {"480917", false, "", true},
        {"", true, "480917", true},
        {"", true, "000000", false},
        {"", true, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("-brdpsw'") + c.commandLine + "', typed '" + c.typed + "'");
        Globals.BoardPassword = c.commandLine;
        ShowWatch promptWatch(&prompt), mainWatch(&main);
        MessageBoxes boxes;
        OnShown typing(&prompt, [&] {
            Type(c.typed);
            PressKey(Qt::Key_Return);
        });
        Connect([] {});
        EXPECT_EQ(promptWatch.shows, c.prompted ? 1 : 0);
        EXPECT_EQ(mainWatch.shows, c.monitored ? 1 : 0);
        EXPECT_EQ(boxes.texts, c.monitored ? QStringList{} : QStringList{kConnectFailed});
        EXPECT_EQ(main.Connection(), nullptr);
    }
}

TEST_F(Monitor, TheLampsFollowTheStatusBytes) {
    // Set before the connection: shown by the refresh before the window opens,
    // while the link lamp waits for the timer (red at the first connection).
    ASSERT_EQ(board->Control("status 2 0x01"), "ok");
    ShowWatch watch(&main);
    bool out1AtShow = false, linkAtShow = true;
    watch.atShow = [&] {
        out1AtShow = main.Output1Led->Value();
        linkAtShow = main.LinkLed->Value();
    };
    QString infoLine;
    std::map<std::string, int> repaints;
    Connect([&] {
        infoLine = main.InfoPan->text();
        ASSERT_TRUE(WaitForLink(true));
        EXPECT_EQ(Painted(main.LinkLed), kLime);

        for (const char* command :
             {"status 2 0", "status 12 0x07", "status 0 0x0F", "status 1 0x01", "status 13 0x02",
              "status 14 0x01", "status 15 0x04", "status 2 0x02", "status 70 0x99"})
            ASSERT_EQ(board->Control(command), "ok") << command;
        const QStringList expected{"Input1Led",   "Input2Led",   "Input3Led",  "Input4Led",
                                   "LowBatLed",   "Allarme1Led", "Tamper1Led", "Cavo1Led",
                                   "Allarme2Led", "Tamper3Led",  "Cavo4Led",   "Output2Led"};
        ASSERT_TRUE(WaitFor([&] { return Lit() == expected; })) << Lit().join(' ').toStdString();
        EXPECT_EQ(Painted(main.Input1Led), kLime);
        EXPECT_EQ(Painted(main.LowBatLed), kRed);
        EXPECT_EQ(Painted(main.Allarme1Led), kRed);
        EXPECT_EQ(Painted(main.Output1Led), kSilver);

        // Nothing changes: nothing is repainted, and the information line stays.
        for (TLed* led : Lamps())
            repaints[led->objectName().toStdString()] = led->RepaintRequests();
        WaitFor([] { return false; }, 1000ms);
        for (TLed* led : Lamps())
            EXPECT_EQ(led->RepaintRequests(), repaints[led->objectName().toStdString()])
                << led->objectName().toStdString();
        EXPECT_EQ(main.InfoPan->text(), infoLine);
    });
    EXPECT_EQ(watch.shows, 1);
    EXPECT_TRUE(out1AtShow);
    EXPECT_FALSE(linkAtShow);
    EXPECT_EQ(infoLine, "   Pylox: 12.345.678.9AB.CDE        Firmware: 1.0.1.8");
    // Every lamp was repainted once per change of its value, and only then.
    EXPECT_EQ(repaints["Output1Led"], 2);
    EXPECT_EQ(repaints["Allarme1Led"], 1);
    EXPECT_EQ(repaints["Allarme3Led"], 0);
    EXPECT_EQ(main.Connection(), nullptr);

    // The next showing builds the line anew; the link lamp starts from where it was.
    QString secondLine;
    watch.atShow = [&] { linkAtShow = main.LinkLed->Value(); };
    Connect([&] { secondLine = main.InfoPan->text(); });
    EXPECT_EQ(secondLine, "   Pylox: 99.345.678.9AB.CDE        Firmware: 1.0.1.8");
    EXPECT_TRUE(linkAtShow);
}

TEST_F(Monitor, TheLinkLampTurnsRedDuringARecoveryAndTheOtherLampsFreeze) {
    Connect([&] {
        ASSERT_TRUE(WaitForLink(true));
        ASSERT_TRUE(Lit().isEmpty());
        ASSERT_EQ(board->Control("silent 4"), "ok");
        ASSERT_EQ(board->Control("status 0 0x0F"), "ok");
        TPylox* pylox = main.Connection();
        ASSERT_TRUE(WaitFor([&] { return !pylox->IsLinkOk(); }));
        const auto failed = Clock::now();
        // One tick of the 300 ms timer, with room for a loaded machine.
        ASSERT_TRUE(WaitForLink(false, 2000ms));
        EXPECT_LT(Clock::now() - failed, 1000ms);
        EXPECT_EQ(Painted(main.LinkLed), kRed);
        // Meanwhile the lamps keep the last status received.
        while (!pylox->IsLinkOk() && main.LinkLed->Value() == false) {
            EXPECT_TRUE(Lit().isEmpty());
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        ASSERT_TRUE(WaitForLink(true));
        ASSERT_TRUE(WaitFor([&] {
            return Lit() == QStringList{"Input1Led", "Input2Led", "Input3Led", "Input4Led"};
        }));
    });
    EXPECT_EQ(main.Connection(), nullptr);
}

TEST_F(Monitor, ClosingDuringARecoveryEndsTheConnection) {
    ShowWatch watch(&main);
    Clock::time_point closed;
    bool closedRed = false;
    Connect([&] {
        ASSERT_TRUE(WaitForLink(true));
        ASSERT_EQ(board->Control("silent 60"), "ok");
        ASSERT_TRUE(WaitForLink(false));
        closedRed = true;
        closed = Clock::now();
        main.close(); // the close box
    });
    EXPECT_TRUE(closedRed);
    EXPECT_EQ(watch.shows, 1);
    EXPECT_LT(Clock::now() - closed, 10s);
    EXPECT_EQ(main.Connection(), nullptr);
    EXPECT_FALSE(main.Timer1->Enabled());
}

class MonitorWrites : public Monitor {
protected:
    // The board's committed configuration, 74 bytes in hexadecimal.
    std::string BoardConfig() { return board->Control("get config"); }
    static std::string Hex(const TPyloxConfig& config) {
        TPyloxConfig wire = config;
        wire.Tail = 0;
        std::string text = "config ";
        char hex[3];
        for (std::size_t i = 0; i < kConfigSize; ++i) {
            std::snprintf(hex, sizeof(hex), "%02x", wire.Bytes()[i]);
            text += hex;
        }
        return text;
    }
    TPyloxConfig Copy() {
        TZelkLock lock(main.Connection()->StateLock);
        return main.Connection()->ConfigCopy;
    }
};

TEST_F(MonitorWrites, CancellingTheConfigurationSendsNothing) {
    const std::string before = BoardConfig();
    Connect([&] {
        OnShown edit(&config, [&] {
            Click(config.TipoRg[3], stAllarme);
            config.CancelBtn->click();
        });
        main.BitBtn2->click();
        EXPECT_EQ(Copy().Inputs[3].Type, stIO);
    });
    EXPECT_EQ(Answered('R'), 0);
    EXPECT_EQ(Answered('U'), 0);
    EXPECT_EQ(BoardConfig(), before);
}

TEST_F(MonitorWrites, ConfirmingTheConfigurationWritesAndCommitsIt) {
    MessageBoxes boxes;
    TPyloxConfig edited{};
    Connect([&] {
        OnShown edit(&config, [&] {
            Click(config.TipoRg[3], stAllarme);
            config.CloseBtn->click();
        });
        main.BitBtn2->click();
        edited = Copy();
    });
    EXPECT_EQ(edited.Inputs[3].Type, stAllarme);
    EXPECT_EQ(Answered('R'), 1);
    EXPECT_EQ(Answered('U'), 1);
    EXPECT_EQ(BoardConfig(), Hex(edited));
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(MonitorWrites, AFailedWriteIsReportedAndTheEditIsKept) {
    const std::string before = BoardConfig();
    MessageBoxes boxes;
    Connect([&] {
        ASSERT_TRUE(WaitForLink(true));
        ASSERT_EQ(board->Control("silent 6"), "ok");
        OnShown edit(&config, [&] {
            Click(config.TipoRg[0], stTamper);
            config.CloseBtn->click();
        });
        main.BitBtn2->click();
        EXPECT_EQ(boxes.texts, QStringList{kWriteFailed});
        EXPECT_EQ(Copy().Inputs[0].Type, stTamper);
        // After the board is back, nothing of the failed write reaches it.
        ASSERT_TRUE(WaitForLink(true));
    });
    EXPECT_EQ(Answered('U'), 0);
    EXPECT_EQ(BoardConfig(), before);
}

TEST_F(MonitorWrites, ThePasswordButtonWritesTheNewBoardPassword) {
    MessageBoxes boxes;
    TPyloxConfig edited{};
    Connect([&] {
        OnShown typing(&passwordChange, [&] {
            TypeFields({"480917", "k3y", "k3y"});
            passwordChange.OKbtn->click();
        });
        main.PasswordBtn->click();
        edited = Copy();
    });
    EXPECT_EQ(edited.GetPassword(), "k3y");
    EXPECT_EQ(Answered('R'), 1);
    EXPECT_EQ(Answered('U'), 1);
    EXPECT_EQ(BoardConfig(), Hex(edited));
    EXPECT_TRUE(boxes.texts.isEmpty());

    // The board now takes the new password only.
    Globals.BoardPassword = "480917";
    Connect([] {});
    EXPECT_EQ(boxes.texts, QStringList{kConnectFailed});
    boxes.texts.clear();
    Globals.BoardPassword = "k3y";
    ShowWatch watch(&main);
    Connect([] {});
    EXPECT_EQ(watch.shows, 1);
    EXPECT_TRUE(boxes.texts.isEmpty());
}

} // namespace
