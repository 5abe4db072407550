// The whole program on an X server: the time from starting pylox-service to its start
// window being mapped, and its CPU time and resident memory while it monitors the
// emulator. Needs a display: scripts/run-benchmarks runs it under xvfb-run.
#include "BenchSupport.h"
#include "BoardProcess.h"
#include "TestEnvironment.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace pylox::bench;
using pylox::test::BoardProcess;

// Watches the X server for top-level windows being mapped.
class MapWatch {
public:
    MapWatch() : x_(xcb_connect(nullptr, nullptr)) {
        Check(!xcb_connection_has_error(x_), "no X display (run under xvfb-run)");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_, root_, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_NAME";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(x_, xcb_intern_atom(x_, 0, sizeof name - 1, name), nullptr);
        Check(atom != nullptr, "_NET_WM_NAME");
        netWmName_ = atom->atom;
        std::free(atom);
        xcb_flush(x_);
    }
    ~MapWatch() { xcb_disconnect(x_); }
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    // Waits until a window with this title is mapped; false when the limit passes.
    bool WaitMapped(const std::string& title, std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
                const bool map = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    map ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (map && Title(window) == title)
                    return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || xcb_connection_has_error(x_))
                return false;
            pollfd ready{xcb_get_file_descriptor(x_), POLLIN, 0};
            poll(&ready, 1, static_cast<int>(left.count()));
        }
    }

private:
    std::string Title(xcb_window_t window) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            x_, xcb_get_property(x_, 0, window, netWmName_, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr);
        std::string title;
        if (reply) {
            title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
            std::free(reply);
        }
        return title;
    }

    xcb_connection_t* x_;
    xcb_window_t root_;
    xcb_atom_t netWmName_;
};

pid_t Start(const std::vector<std::string>& args) {
    const std::string program = (pylox::test::BinDir() / "pylox-service").string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    Check(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0,
          "start " + program);
    return pid;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

const std::vector<std::string> kLogon{"-usrorvex", "-pwrfenla:47"};

// Start to the start window, with the user given on the command line.
void StartUp(MapWatch& x, int runs) {
    std::vector<double> times;
    double first = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const pid_t pid = Start(kLogon);
        const bool shown = x.WaitMapped("PYLOX Service", std::chrono::seconds(20));
        const double ms = Ms(Clock::now() - start);
        Stop(pid);
        Check(shown, "the start window did not show");
        if (i == 0)
            first = ms;
        times.push_back(ms);
    }
    const double median = Percentile(times, 0.5);
    std::printf("start to start window over %d starts: first %.0f ms, median %.0f ms, "
                "max %.0f ms (target 500 ms)\n",
                runs, first, median, times.back());
}

// The program connected to the emulator, whose demo changes every lamp over time.
void Monitoring(MapWatch& x, double seconds) {
    BoardProcess board({"--tcp", "0", "--demo"});
    std::vector<std::string> args = kLogon;
    args.insert(args.end(), {"-brdpsw480917", "-connect",
                             "-tcpip127.0.0.1:" + std::to_string(board.TcpPort())});
    const pid_t pid = Start(args);
    if (!x.WaitMapped("PYLOX", std::chrono::seconds(20))) {
        Stop(pid);
        Check(false, "the monitoring window did not show");
    }
    std::this_thread::sleep_for(std::chrono::seconds(2)); // past the start
    const double cpuBefore = CpuSeconds(pid);
    const long pollsBefore = StatusRequests(board);
    const long rssStart = ResidentKb(pid);
    long rssMax = rssStart;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        rssMax = std::max(rssMax, ResidentKb(pid));
    }
    const double wall = Ms(Clock::now() - start) / 1000.0;
    const double cpu = CpuSeconds(pid) - cpuBefore;
    const long polls = StatusRequests(board) - pollsBefore;
    const long rssEnd = ResidentKb(pid);
    Stop(pid);
    std::printf("pylox-service monitoring for %.0f s: CPU %.2f %% of one core (target 2 %%), "
                "%.2f polls/s, resident %ld kB at the start, %ld kB at the end, %ld kB at most\n",
                wall, 100.0 * cpu / wall, static_cast<double>(polls) / wall, rssStart, rssEnd,
                rssMax);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 20;
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as it is measured
    try {
        pylox::test::TempDir home;
        UseHome(home.path());
        unsetenv("QT_QPA_PLATFORM");
        MapWatch x;
        StartUp(x, runs);
        Monitoring(x, seconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pylox-bench-program: %s\n", e.what());
        return 1;
    }
    return 0;
}
