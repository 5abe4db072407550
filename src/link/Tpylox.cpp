#include "link/Tpylox.h"

#include "link/Orvexcominterfacelib.h"
#include "link/Tzelklog.h"

TPylox::TPylox(const TConnParams& params, const std::string& loginPassword)
    : Params(params), LoginPassword(loginPassword) {}

TPylox::~TPylox() {
    Terminate();
    WaitFor();
    if (orvex::ociDeleteConnection)
        orvex::ociDeleteConnection();
}

int8_t TPylox::GetState() {
    TZelkLock lock(StateLock);
    return State;
}

uint32_t TPylox::GetFirmwareVersion() {
    TZelkLock lock(StateLock);
    return FirmwareVersion;
}

bool TPylox::IsLinkOk() {
    TZelkLock lock(StateLock);
    return GetState() != sRecover;
}

bool TPylox::IsLinkUp() {
    TZelkLock lock(StateLock);
    return LinkUp;
}

bool TPylox::HasFailed() {
    TZelkLock lock(StateLock);
    return GetState() == sFailed;
}

bool TPylox::WriteConfig() {
    TPyloxMsg frame;
    {
        TZelkLock lock(StateLock);
        frame.BuildWriteConfig(ConfigCopy);
    }
    return SendFrame(frame);
}

bool TPylox::CommitConfig() {
    TPyloxMsg frame;
    frame.BuildCommit();
    return SendFrame(frame);
}

bool TPylox::SendRequest(TPyloxMsg& request, TPyloxMsg& answer) {
    if (!RequestLock.Lock(kRequestLockWaitMs))
        return false;
    // Released also when the library call raises: a lock left held by the connection
    // thread would make every later configuration write time out.
    TZelkLock held(RequestLock, std::adopt_lock);
    request.ControlA = 0;
    request.ControlB = 0;
    return orvex::ociConnectedRequest(request.Frame(), answer.Frame());
}

bool TPylox::SendFrame(TPyloxMsg& frame) {
    TPyloxMsg answer;
    return SendRequest(frame, answer) && frame.CopyAnswer(*answer.Frame());
}

void TPylox::SetState(int8_t state) {
    TZelkLock lock(StateLock);
    State = state;
}

void TPylox::SetLinkUp(bool up) {
    TZelkLock lock(StateLock);
    LinkUp = up;
}

void TPylox::Execute() {
    Sleep(40);
    RaisePriority();
    Sleep(100);
    do {
        try {
            Step();
        } catch (...) {
            // The machine goes on with the state as it was.
        }
    } while (!Terminated());
}

void TPylox::Step() {
    if (const uint32_t delay = StepDelay; delay != 0)
        Sleep(delay);
    TPyloxMsg request, answer;
    try {
        RunState(request, answer);
    } catch (...) {
        // An error inside a state is discarded; the state stays as it was.
    }
}

bool TPylox::PollStatus(TPyloxMsg& request, TPyloxMsg& answer) {
    request.BuildStatusRequest();
    return SendRequest(request, answer) && ParseStatus(*answer.Frame(), WorkStatus);
}

void TPylox::RunState(TPyloxMsg& request, TPyloxMsg& answer) {
    switch (GetState()) {
    case sOpen: {
        SetLinkUp(false);
        if (!orvex::ociCreateNewConnection(&Params) || !orvex::ociIsValid()) {
            SetState(sFailed);
            return;
        }
        ApplyLinkLog();
        SetState(sWaitConnect);
        orvex::ociSetNotifyRx(TOciMethod{});
        orvex::ociSetNotifyError(TOciMethod{});
        return;
    }
    case sWaitConnect:
        SetState(orvex::ociWaitToConnect(kConnectTimeoutMs) ? sLogin : sFailed);
        return;
    case sLogin:
        request.BuildLogin(LoginPassword);
        SetState(SendRequest(request, answer) && answer.Length == 1 && answer.Data[0] != 0
                     ? sVersion
                     : sFailed);
        return;
    case sVersion: {
        request.BuildVersionRequest();
        uint32_t version = 0;
        if (!SendRequest(request, answer) || !ParseVersion(*answer.Frame(), version)) {
            SetState(sFailed);
            return;
        }
        {
            TZelkLock lock(StateLock);
            FirmwareVersion = version;
        }
        if (version >= kFirmwareWithNQuery) {
            SetState(sCheckN);
        } else {
            NAnswer = 14;
            SetState(sReadConfig);
        }
        return;
    }
    case sCheckN:
        request.BuildNQuery();
        SetState(SendRequest(request, answer) && answer.ParseNAnswer(NAnswer) && NAnswer == 14
                     ? sReadConfig
                     : sFailed);
        return;
    case sReadConfig:
        request.BuildReadConfig();
        if (!SendRequest(request, answer) || !ParseConfig(*answer.Frame(), WorkConfig)) {
            SetState(sFailed);
            return;
        }
        SetState(sFirstStatus);
        {
            TZelkLock lock(StateLock);
            ConfigCopy = WorkConfig;
        }
        return;
    case sFirstStatus:
    case sPoll: {
        const bool first = GetState() == sFirstStatus;
        if (!PollStatus(request, answer)) {
            SetState(first ? sFailed : sRecover);
            return;
        }
        TZelkLock lock(StateLock);
        StatusCopy = WorkStatus;
        LinkUp = true;
        State = sPoll;
        return;
    }
    case sRecover:
        SetLinkUp(false);
        if (PollStatus(request, answer))
            SetState(sPoll);
        return;
    case sFailed:
        SetLinkUp(false);
        Terminate();
        return;
    default:
        return;
    }
}
