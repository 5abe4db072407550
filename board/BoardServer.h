// The emulated board's links (TCP, UDP, a pseudo-terminal, optionally behind a
// Hayes modem), its control channel, injected faults and the demo scenario, in one
// poll-driven thread.
#pragma once

#include "BoardCore.h"
#include "BoardFaults.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <deque>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <vector>

struct BoardOptions {
    std::string host = "127.0.0.1"; // TCP listening address
    int tcpPort = -1;               // -1: no TCP; 0: any free port
    // UDP: -1 none. A loopback address also hears broadcasts to 127.255.255.255.
    int udpPort = -1;
    std::string udpBind = "127.0.0.1";
    bool pty = false;
    std::string ptyLink; // a symbolic link made to the pty's device
    bool modem = false;
    std::string controlSocket; // Unix socket of the control channel
    std::string stateFile;
    uint32_t firmware = kBoardDefaultFirmware;
    uint8_t nAnswer = 14;
    bool demo = false;
    bool stdinControl = true;
};

class BoardServer {
public:
    explicit BoardServer(const BoardOptions& options);
    ~BoardServer();
    BoardServer(const BoardServer&) = delete;
    BoardServer& operator=(const BoardServer&) = delete;

    // Opens every listener and prints one line for each ("tcp PORT", "udp PORT",
    // "pty DEVICE"), then "ready". False, with a message on stderr, on failure.
    bool Start();
    // Runs until "quit", SIGINT or SIGTERM.
    void Run();

    // One control command and its one-line reply.
    std::string Control(const std::string& line);

private:
    using Clock = std::chrono::steady_clock;
    enum class LinkKind { Tcp, Pty, Control };
    enum class ModemState { Command, Dialing, Online };
    struct Link;
    struct Pending;

    bool OpenTcp();
    bool OpenUdp();
    bool OpenPty();
    bool OpenControlSocket();
    void Accept(int listener, LinkKind kind);
    void Read(Link& link);
    void ReadControl(Link& link, const char* bytes, std::size_t size);
    void ReadDatagram(int socket);
    void ModemInput(Link& link, const char* bytes, std::size_t size);
    void Answer(const TZelkBasicMsg& request, int variant, uint64_t linkId,
                const sockaddr_in* peer);
    void Write(Link& link, const std::string& bytes);
    void Flush(Link& link);
    void FlushDue();
    void CloseLink(Link& link);
    void HangUp();
    Link* Find(uint64_t id);
    // When the loop must wake up next; nullopt: only for input.
    std::optional<Clock::time_point> NextWake() const;

    BoardOptions options_;
    BoardCore core_;
    BoardFaults faults_;
    std::vector<std::unique_ptr<Link>> links_;
    std::deque<Pending> pending_;
    uint64_t nextLinkId_ = 1;
    int tcpListener_ = -1, udpSocket_ = -1, udpBroadcast_ = -1, controlListener_ = -1;
    int ptySlave_ = -1;
    std::string ptyName_;
    uint64_t ptyLinkId_ = 0;
    bool quit_ = false;
    sigset_t waitMask_{}; // signal mask while waiting: SIGINT and SIGTERM let through
    Clock::time_point silentUntil_{};
    Clock::time_point nextDemo_{};
    unsigned demoStep_ = 0;
};
