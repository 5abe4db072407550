#include "BoardProcess.h"

#include "TestEnvironment.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pylox::test {

namespace {
int gCounter = 0;

// Replaces the value after a switch, or appends the switch and the value.
void SetArg(std::vector<std::string>& args, const std::string& name, const std::string& value) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name) {
            args[i + 1] = value;
            return;
        }
    args.push_back(name);
    args.push_back(value);
}
} // namespace

BoardProcess::BoardProcess(std::vector<std::string> args) : args_(std::move(args)) {
    controlPath_ = std::filesystem::temp_directory_path() /
                   ("pylox-board-" + std::to_string(getpid()) + "-" + std::to_string(++gCounter));
    args_.push_back("--control");
    args_.push_back(controlPath_.string());
    args_.push_back("--no-stdin");
    Launch();
}

BoardProcess::~BoardProcess() {
    Kill();
}

void BoardProcess::Launch() {
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    const std::string program = (BinDir() / "pylox-board").string();
    pid_ = fork();
    if (pid_ == 0) {
        // The emulator ends with the test that started it, also when the test is killed.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args_)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (text.find("ready\n") == std::string::npos) {
        pollfd p{out[0], POLLIN, 0};
        if (std::chrono::steady_clock::now() > deadline || poll(&p, 1, 200) < 0)
            break;
        if (p.revents == 0)
            continue;
        const ssize_t n = read(out[0], buffer, sizeof(buffer));
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    if (text.find("ready\n") == std::string::npos) {
        Kill();
        throw std::runtime_error("pylox-board did not start: " + text);
    }
    std::sscanf(text.c_str() + text.find("tcp ") + 4, "%d", &tcpPort_);
    if (text.find("udp ") != std::string::npos)
        std::sscanf(text.c_str() + text.find("udp ") + 4, "%d", &udpPort_);
    if (const auto at = text.find("pty "); at != std::string::npos)
        ptyPath_ = text.substr(at + 4, text.find('\n', at) - at - 4);
    if (text.find("tcp ") == std::string::npos)
        tcpPort_ = -1;
}

std::string BoardProcess::Control(const std::string& command) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, controlPath_.c_str(), sizeof(address.sun_path) - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        throw std::runtime_error("control socket: " + std::string(std::strerror(errno)));
    }
    const std::string line = command + "\n";
    if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        close(fd);
        throw std::runtime_error("control write failed");
    }
    std::string reply;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n')
        reply += c;
    close(fd);
    return reply;
}

void BoardProcess::Kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
    std::error_code ec;
    std::filesystem::remove(controlPath_, ec);
}

void BoardProcess::Restart() {
    Kill();
    // The same ports again, so that a client's parameters still reach it.
    if (tcpPort_ > 0)
        SetArg(args_, "--tcp", std::to_string(tcpPort_));
    if (udpPort_ > 0)
        SetArg(args_, "--udp", std::to_string(udpPort_));
    for (int attempt = 0;; ++attempt) {
        try {
            Launch();
            return;
        } catch (const std::exception&) {
            if (attempt == 20)
                throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
}

TConnParams LoopbackParams(uint8_t kind, int port) {
    TConnParams params{};
    params.ComPort = 1;
    params.Baud = 38400;
    params.DataBits = 8;
    std::strcpy(params.HostAddress, "127.0.0.1");
    params.Port = port;
    params.Kind = kind;
    return params;
}

} // namespace pylox::test
