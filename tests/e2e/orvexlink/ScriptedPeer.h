// Far sides written inside the tests: a real loopback socket or a real
// pseudo-terminal whose other end a test thread drives byte by byte, for the
// answers no board would give.
#pragma once

#include <orvexlink.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

enum class Carrier { Tcp, Udp, Serial };

const char* CarrierName(Carrier carrier);

class ScriptedPeer {
public:
    // What the peer sends back for the bytes it just received (empty: stay silent).
    using Answer = std::function<std::vector<uint8_t>(const std::vector<uint8_t>& received)>;

    // Serial: the pseudo-terminal becomes COM9 through a link in dosDevices.
    ScriptedPeer(Carrier carrier, Answer answer, const std::filesystem::path& dosDevices = {});
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // Connection parameters that reach this peer.
    TConnParams Params() const;
    // Serial: the peer's own descriptor of the line, to look at its settings.
    int Line() const { return slave_; }

private:
    void Serve();
    void Reply(int fd, const std::vector<uint8_t>& received);

    Carrier carrier_;
    Answer answer_;
    int fd_ = -1;    // listener, datagram socket or pty master
    int slave_ = -1; // the pty's slave side, kept open like a board keeps its line
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
