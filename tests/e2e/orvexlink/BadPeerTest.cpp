// A far side that answers with bytes no board would send.
#include "LinkFixture.h"
#include "OrvexFraming.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Accepts one connection and answers every read with the given bytes.
class RawPeer {
public:
    explicit RawPeer(std::vector<uint8_t> reply) : reply_(std::move(reply)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(listener_, 1);
        socklen_t length = sizeof(address);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            const int fd = accept(listener_, nullptr, nullptr);
            uint8_t buffer[512];
            while (fd >= 0 && read(fd, buffer, sizeof(buffer)) > 0)
                if (!reply_.empty() && write(fd, reply_.data(), reply_.size()) < 0)
                    break;
            if (fd >= 0)
                close(fd);
        });
    }
    ~RawPeer() {
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        thread_.join();
    }
    int Port() const { return port_; }

private:
    std::vector<uint8_t> reply_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

std::vector<uint8_t> StatusFrame() {
    TZelkBasicMsg frame{};
    frame.Command = '@';
    frame.Length = 71;
    return orvexlink::EncodeFrame(frame, orvexlink::kProtocolCurrent);
}

class BadPeer : public LinkFixture {};

TEST_F(BadPeer, EveryDamagedAnswerFailsWithinTheTimeout) {
    auto wrongCheck = StatusFrame();
    wrongCheck.back() ^= 0x01;
    auto oversized = StatusFrame();
    oversized[9] = 0xF0; // a length of 240
    auto truncated = StatusFrame();
    truncated.resize(30);
    const std::vector<std::vector<uint8_t>> replies = {
        {}, {0xA5, 0x5A, 0xA5, 0x00, 0x13, 0x37}, wrongCheck, oversized, truncated};
    orvex::ociSetTxTimeout(400);
    for (const auto& reply : replies) {
        RawPeer peer(reply);
        ASSERT_TRUE(Connect(Network(3, "127.0.0.1", peer.Port())));
        TPyloxMsg request, answer;
        request.BuildStatusRequest();
        const auto before = std::chrono::steady_clock::now();
        EXPECT_FALSE(Send(request, answer)) << reply.size();
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
        orvex::ociDeleteConnection();
    }
}

} // namespace
