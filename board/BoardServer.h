// The emulated board's links (TCP, UDP, a pseudo-terminal, optionally behind a
// Hayes modem), its control channel, injected faults and the demo scenario.
#pragma once

#include "BoardCore.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

struct BoardOptions {
    std::string host = "127.0.0.1"; // TCP listening address
    int tcpPort = -1;               // -1: no TCP; 0: any free port
    int udpPort = -1;
    std::string udpBind = "0.0.0.0"; // the wildcard also receives loopback broadcasts
    bool pty = false;
    std::string ptyLink; // a symlink made to the pty's device
    bool modem = false;
    std::string controlSocket; // Unix socket of the control channel
    std::string stateFile;
    uint32_t firmware = 0x01000108;
    int nAnswer = 14;
    bool demo = false;
    bool stdinControl = true;
};

class BoardServer {
public:
    explicit BoardServer(const BoardOptions& options);
    ~BoardServer();

    // Opens every listener; prints what it opened and "ready". False on failure.
    bool Start();
    // Runs until "quit" or a termination signal.
    void Run();

    // One control command and its one-line reply.
    std::string Control(const std::string& line);

private:
    using Clock = std::chrono::steady_clock;
    enum class LinkKind { Tcp, Udp, Pty, Control };
    struct Link;
    struct Pending;

    void Accept(int listener, LinkKind kind);
    void Read(Link& link);
    void ReadDatagram();
    void OnFrames(Link& link);
    void ModemInput(Link& link, const std::string& bytes);
    void Respond(Link* link, const TZelkBasicMsg& request, int variant, const void* peer,
                 unsigned peerLength);
    void Send(const Pending& pending);
    void CloseLink(Link& link);
    void HangUp();
    void DemoStep();
    void FlushDue();
    int PollTimeout() const;

    BoardOptions options_;
    BoardCore core_;
    std::vector<std::unique_ptr<Link>> links_;
    std::deque<std::unique_ptr<Pending>> pending_;
    int tcpListener_ = -1, udpSocket_ = -1, controlListener_ = -1;
    Link* ptyLink_ = nullptr;
    bool quit_ = false;

    // Faults, each counting the answers it still affects.
    unsigned dropCount_ = 0, delayCount_ = 0, wrongLengthCount_ = 0, wrongCommandCount_ = 0,
             garbageCount_ = 0;
    int delayMs_ = 0;
    Clock::time_point silentUntil_{};

    Clock::time_point nextDemo_{};
    unsigned demoStep_ = 0;
};
