// The connection thread: opens the link, logs in, reads the firmware version and
// the configuration, then polls the status back to back, keeping copies of the
// latest records for the windows.
#pragma once

#include "link/Tpyloxdata.h"
#include "link/Tpyloxmsg.h"
#include "link/Tzelkmutex.h"
#include "platform/Thread.h"

#include <orvexlink.h>

#include <atomic>
#include <cstdint>
#include <string>

class TPylox : public TThread {
public:
    // States of the connection; 6 and 9 are not used.
    enum : int8_t {
        sOpen = 0,
        sWaitConnect = 1,
        sLogin = 2,
        sVersion = 3,
        sReadConfig = 4,
        sCheckN = 5,
        sFirstStatus = 7,
        sPoll = 8,
        sRecover = 10,
        sFailed = 11,
    };

    // Created suspended; the creator resumes it.
    TPylox(const TConnParams& params, const std::string& loginPassword);
    // Terminates, waits for the thread to end and deletes the library's connection.
    ~TPylox() override;

    int8_t GetState();
    uint32_t GetFirmwareVersion();
    // False only while recovering from a failed poll.
    bool IsLinkOk();
    // A status has arrived since the last start, loss or failure.
    bool IsLinkUp();
    bool HasFailed();
    // Send ConfigCopy ('R') and the commit ('U'); true when the transaction went
    // through. The answer's content is not examined; one whose length exceeds the
    // data block counts as a failed transaction.
    bool WriteConfig();
    bool CommitConfig();

    // Guarded by StateLock, together with State, LinkUp and FirmwareVersion:
    // windows take it to read StatusCopy and to read or replace ConfigCopy.
    uint32_t FirmwareVersion = 0;
    TPyloxStatus StatusCopy{};
    TPyloxStatus WorkStatus{};
    TPyloxConfig ConfigCopy{};
    TPyloxConfig WorkConfig{};
    TZelkMutex StateLock;
    // Lets one link-library request run at a time.
    TZelkMutex RequestLock;
    TConnParams Params;
    std::string LoginPassword;
    uint32_t NAnswer = 0;
    // Milliseconds slept before every step.
    std::atomic<uint32_t> StepDelay{20};

protected:
    void Execute() override;

private:
    // Waits up to this long for RequestLock.
    static constexpr uint32_t kRequestLockWaitMs = 6000;
    static constexpr uint32_t kConnectTimeoutMs = 60000;

    bool SendRequest(TPyloxMsg& request, TPyloxMsg& answer);
    bool SendFrame(TPyloxMsg& frame);
    void SetState(int8_t state);
    void SetLinkUp(bool up);
    void Step();
    void RunState(TPyloxMsg& request, TPyloxMsg& answer);
    bool PollStatus(TPyloxMsg& request, TPyloxMsg& answer);

    int8_t State = sOpen;
    bool LinkUp = false;
};
