// The latency from a status change at the emulator to the changed lamp painted in
// the monitoring window: the real window, connection thread, link library and
// emulator over loopback TCP. A lamp shows a change at the first refresh (every
// 300 ms) after the first poll (20 ms apart) that brought it, so no change may take
// longer than 300 ms + 20 ms + one round trip.
#include "BenchSupport.h"
#include "BoardProcess.h"
#include "TestEnvironment.h"
#include "link/Orvexcominterfacelib.h"
#include "monitor/Mainwin.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Inputpasswordwin.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "startup/ProcessSettings.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace pylox::bench;
using pylox::test::BoardProcess;
using pylox::test::LoopbackParams;

// Calls back each time the lamp is painted, with the value it shows.
class PaintWatch : public QObject {
public:
    PaintWatch(TLed* led, std::function<void(bool)> painted) : painted_(std::move(painted)) {
        led->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted_(static_cast<TLed*>(watched)->Value());
        return false;
    }

private:
    std::function<void(bool)> painted_;
};

// Toggles digital input 1 at the emulator at random moments against the window's
// refresh and measures each change until the lamp of input 1 is painted with it.
class LampLatency {
public:
    LampLatency(BoardProcess& board, TMainFrm& window, int samples)
        : board_(board), window_(window), samples_(samples),
          watch_(window.Input1Led, [this](bool shown) { Painted(shown); }) {
        // Starts once the window shows a live link.
        start_.setInterval(10);
        QObject::connect(&start_, &QTimer::timeout, [this] {
            if (window_.isVisible() && window_.LinkLed->Value()) {
                start_.stop();
                Next();
            }
        });
        start_.start();
        // A change that never shows ends the run.
        stuck_.setSingleShot(true);
        QObject::connect(&stuck_, &QTimer::timeout,
                         [this] { Fail("a status change did not show within 5 s"); });
    }

    std::vector<double> latencies;
    bool failed = false;

private:
    void Fail(const char* why) {
        std::fprintf(stderr, "%s\n", why);
        failed = true;
        Exit();
    }

    // "&Exit", from the event loop: never from inside the lamp's painting.
    void Exit() { QTimer::singleShot(0, window_.BitBtn1, &QPushButton::click); }

    void Next() {
        QTimer::singleShot(pause_(random_), Qt::PreciseTimer, &window_, [this] {
            expected_ = !expected_;
            changedAt_ = Clock::now();
            std::string reply;
            try {
                reply = board_.Control(expected_ ? "status 0 1" : "status 0 0");
            } catch (const std::exception&) {
                // No reply: failed below, never thrown through the event loop.
            }
            if (reply != "ok") {
                Fail("the emulator did not take a status change");
                return;
            }
            waiting_ = true;
            stuck_.start(5000);
        });
    }

    void Painted(bool shown) {
        if (!waiting_ || shown != expected_)
            return;
        latencies.push_back(Ms(Clock::now() - changedAt_));
        waiting_ = false;
        stuck_.stop();
        if (static_cast<int>(latencies.size()) < samples_)
            Next();
        else
            Exit();
    }

    BoardProcess& board_;
    TMainFrm& window_;
    const int samples_;
    PaintWatch watch_;
    QTimer start_, stuck_;
    std::mt19937 random_{20261211};
    std::uniform_int_distribution<int> pause_{0, 299};
    bool expected_ = false, waiting_ = false;
    Clock::time_point changedAt_;
};

} // namespace

int main(int argc, char** argv) {
    const int samples = argc > 1 ? std::atoi(argv[1]) : 300;
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as it is measured
    try {
        pylox::test::TempDir home;
        UseHome(home.path());
        QApplication qt(argc, argv);
        TApplication application;
        Check(orvex::LoadOrvexLib({(pylox::test::BinDir() / "libOrvexLink.so").string()}) == 0,
              "load");
        orvex::ociSetProtocol(1);
        BoardProcess board({"--tcp", "0"});
        const double roundTrip = LibraryRoundTrip(LoopbackParams(3, board.TcpPort()), 500);

        TReqSuInfoFrm wait;
        TInputPasswordFrm prompt;
        TMainFrm window;
        ReqSuInfoFrm = &wait;
        InputPasswordFrm = &prompt;
        MainFrm = &window;
        Globals.BoardPassword = "480917";
        LampLatency lamp(board, window, samples);
        window.Connect(LoopbackParams(3, board.TcpPort()));
        MainFrm = nullptr;
        ReqSuInfoFrm = nullptr;
        InputPasswordFrm = nullptr;
        orvex::FreeOrvexLib();
        Check(!lamp.failed && !lamp.latencies.empty(), "lamp latency");

        const double bound = 300.0 + 20.0 + roundTrip;
        std::vector<double>& l = lamp.latencies;
        const double p50 = Percentile(l, 0.5), p99 = Percentile(l, 0.99), max = l.back();
        std::printf("lamp latency over %zu changes (%s): p50 %.1f ms, p99 %.1f ms, max %.1f ms; "
                    "bound 300 + 20 + %.3f = %.1f ms: p99 %s\n",
                    l.size(), qPrintable(QApplication::platformName()), p50, p99, max, roundTrip,
                    bound, p99 <= bound ? "within" : "OVER");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pylox-bench-window: %s\n", e.what());
        return 1;
    }
    return 0;
}
