// The real board emulator as a child process, steered through its control socket.
#pragma once

#include <orvexlink.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pylox::test {

class BoardProcess {
public:
    // Starts bin/pylox-board with the arguments (plus its control socket) and waits
    // for it to be ready. Throws when it does not come up.
    explicit BoardProcess(std::vector<std::string> args);
    ~BoardProcess();
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;

    int TcpPort() const { return tcpPort_; }
    int UdpPort() const { return udpPort_; }
    const std::string& PtyPath() const { return ptyPath_; }

    // One control command and its reply line.
    std::string Control(const std::string& command);
    // Ends the emulator at once (SIGKILL), as a board losing power would.
    void Kill();
    // Starts it again with the same arguments and ports.
    void Restart();

private:
    void Launch();

    std::vector<std::string> args_;
    std::filesystem::path controlPath_;
    int pid_ = -1;
    int tcpPort_ = -1, udpPort_ = -1;
    std::string ptyPath_;
};

// Parameters of a link of this kind to a board on 127.0.0.1 at the port, with the
// serial fields the program always fills in (COM1, 38400 baud, 8 data bits).
TConnParams LoopbackParams(uint8_t kind, int port);

} // namespace pylox::test
