#include "BenchSupport.h"

#include "link/Orvexcominterfacelib.h"
#include "link/Tpyloxmsg.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pylox::bench {

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + (errno ? std::string(": ") + std::strerror(errno) : ""));
}

void UseHome(const std::filesystem::path& home) {
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    // Qt wants the runtime folder private to the user.
    const std::filesystem::path runtime = home / "runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}

double Percentile(std::vector<double>& samples, double q) {
    Check(!samples.empty(), "no samples");
    std::sort(samples.begin(), samples.end());
    const auto at = static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(at, samples.size() - 1)];
}

double LibraryRoundTrip(const TConnParams& params, int rounds) {
    Check(orvex::ociCreateNewConnection(&params) && orvex::ociWaitToConnect(10000),
          "library connect");
    std::vector<double> times;
    TPyloxMsg request, answer;
    for (int i = 0; i < rounds; ++i) {
        request.BuildStatusRequest();
        const auto start = Clock::now();
        Check(orvex::ociConnectedRequest(request.Frame(), answer.Frame()), "library request");
        times.push_back(Ms(Clock::now() - start));
    }
    orvex::ociDeleteConnection();
    return Percentile(times, 0.5);
}

long StatusRequests(test::BoardProcess& board) {
    const std::string stats = board.Control("stats");
    const auto at = stats.find(" 40=");
    return at == std::string::npos ? 0 : std::stol(stats.substr(at + 4));
}

namespace {

std::string ProcFile(pid_t pid, const char* name) {
    std::ifstream in("/proc/" + (pid ? std::to_string(pid) : std::string("self")) + "/" + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

double CpuSeconds(pid_t pid) {
    // Fields 14 and 15 of stat, counted after the command name in parentheses,
    // which may itself hold spaces.
    const std::string stat = ProcFile(pid, "stat");
    const auto close = stat.rfind(')');
    Check(close != std::string::npos, "no /proc stat");
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int n = 3; n <= 15 && fields >> field; ++n)
        if (n >= 14)
            ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long ResidentKb(pid_t pid) {
    const std::string status = ProcFile(pid, "status");
    const auto at = status.find("VmRSS:");
    return at == std::string::npos ? 0 : std::stol(status.substr(at + 6));
}

} // namespace pylox::bench
