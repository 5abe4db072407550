// Faults of the board and its link while the monitoring window watches it and a
// configuration is written: the write either succeeds or is reported, the board
// keeps either the configuration sent or the one it had, the window never stops
// answering for longer than a write's waits, and the monitoring comes back.
#include "MonitorFixture.h"

#include <QElapsedTimer>

#include <chrono>
#include <functional>

using namespace pylox::test;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

const char* const kWriteFailed = "Errore nella memorizzazione della configurazione";

// A write waits at most twice (the 'R' and the 'U') for the request lock, 6000 ms,
// and the library's request, 1500 ms; the rest is room for a loaded machine.
constexpr auto kLongestWait = 2 * (6000ms + 1500ms) + 5000ms;

// The longest time the window thread did not get to its event loop.
class StallWatch {
public:
    StallWatch() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, std::chrono::milliseconds(clock_.restart()));
        });
        clock_.start();
        timer_.start();
    }
    // Counts the time since the last tick too: a stall may last to the very end.
    std::chrono::milliseconds Longest() const {
        return std::max(longest_, std::chrono::milliseconds(clock_.elapsed()));
    }

private:
    std::chrono::milliseconds longest_{0};
    QTimer timer_;
    QElapsedTimer clock_;
};

struct Fault {
    const char* name;
    // Injects the fault; the write is made right after it.
    std::function<void(BoardProcess&)> inject;
    // Ends the fault after the write, where it does not end by itself.
    std::function<void(BoardProcess&)> end;
};

// Faults counted in answers are made to outlast the write; the polls 20 ms apart
// would otherwise use up a few of them before the write is made.
const auto kClear = [](BoardProcess& b) { b.Control("clear"); };
const Fault kFaults[] = {
    {"KilledAndRestarted", [](BoardProcess& b) { b.Kill(); }, [](BoardProcess& b) { b.Restart(); }},
    {"AnswersDropped", [](BoardProcess& b) { b.Control("drop 3"); }, {}},
    {"AnswersDelayedBeyondTheTimeout", [](BoardProcess& b) { b.Control("delay 2500 3"); }, {}},
    {"GarbageBeforeAnswers", [](BoardProcess& b) { b.Control("garbage 1000"); }, {}},
    {"AnswersOneByteShort", [](BoardProcess& b) { b.Control("wrong-length 1000"); }, kClear},
    {"AnswersWithAnotherCommand", [](BoardProcess& b) { b.Control("wrong-command 1000"); }, kClear},
    {"SilentFor30Seconds", [](BoardProcess& b) { b.Control("silent 30"); }, {}},
};

class BoardFaults : public RealBoard, public testing::WithParamInterface<Fault> {
protected:
    std::string BoardConfig() { return board->Control("get config"); }
    static std::string Hex(const TPyloxConfig& config) {
        std::string text = "config ";
        char hex[3];
        for (std::size_t i = 0; i < kConfigSize; ++i) {
            std::snprintf(hex, sizeof(hex), "%02x", i == kConfigWireSize ? 0 : config.Bytes()[i]);
            text += hex;
        }
        return text;
    }
    bool WaitForLink(bool ok, std::chrono::milliseconds limit) {
        return WaitFor([&] { return main.LinkLed->Value() == ok; }, limit);
    }
};

TEST_P(BoardFaults, AWriteDuringTheFaultIsKeptWholeOrReportedAndMonitoringComesBack) {
    const Fault& fault = GetParam();
    const std::string before = BoardConfig();
    ASSERT_EQ(before.rfind("config ", 0), 0u) << before;
    MessageBoxes boxes;
    TPyloxConfig edited{};
    bool monitored = false;
    std::chrono::milliseconds stall{0}, backAfter{0};

    OnShown user(&main, [&] {
        ASSERT_TRUE(WaitForLink(true, 15000ms));
        fault.inject(*board);
        {
            StallWatch watch;
            OnShown edit(&config, [&] {
                Click(config.TipoRg[2], stGuasto);
                config.CloseBtn->click();
            });
            main.BitBtn2->click();
            stall = watch.Longest();
        }
        {
            TZelkLock lock(main.Connection()->StateLock);
            edited = main.Connection()->ConfigCopy;
        }
        if (fault.end) {
            EXPECT_TRUE(WaitForLink(false, 5000ms)) << "the link lamp did not turn red";
            fault.end(*board);
        }
        // The link lamp turns green again and the lamps follow the board once it is
        // back; the status lights inputs 1 and 3 only when a poll gets through.
        const auto back = Clock::now();
        StallWatch watch;
        if (fault.end) {
            EXPECT_TRUE(WaitForLink(true, 15000ms)) << "the link lamp stayed red";
            backAfter = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - back);
        }
        EXPECT_EQ(board->Control("status 0 0x05"), "ok");
        monitored = WaitFor(
            [&] {
                return main.LinkLed->Value() && main.Input1Led->Value() && main.Input3Led->Value();
            },
            45000ms);
        EXPECT_LT(watch.Longest(), 2000ms) << "the window stalled while the board was away";
        main.BitBtn1->click();
    });
    main.Connect(Params());

    EXPECT_TRUE(monitored) << "the lamps did not follow the board after the fault";
    EXPECT_EQ(main.Connection(), nullptr);
    EXPECT_LT(stall, kLongestWait) << "the window froze for " << stall.count() << " ms";
    EXPECT_EQ(edited.Inputs[2].Type, stGuasto);
    const std::string after = BoardConfig();
    if (boxes.texts.isEmpty()) {
        EXPECT_EQ(after, Hex(edited)) << "a write reported as done did not reach the board";
    } else {
        EXPECT_EQ(boxes.texts, QStringList{kWriteFailed});
        EXPECT_TRUE(after == before || after == Hex(edited)) << after;
    }
    if (fault.end) {
        // Back within a few seconds of the board's return.
        EXPECT_LT(backAfter, 10000ms);
    }
    RecordProperty("stall_ms", std::to_string(stall.count()));
    RecordProperty("write_reported_failed", boxes.texts.isEmpty() ? "no" : "yes");
}

INSTANTIATE_TEST_SUITE_P(Emulator, BoardFaults, testing::ValuesIn(kFaults),
                         [](const testing::TestParamInfo<Fault>& param) {
                             return param.param.name;
                         });

} // namespace
