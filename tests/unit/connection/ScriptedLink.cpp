#include "ScriptedLink.h"

#include "link/Orvexcominterfacelib.h"

#include <cstring>
#include <stdexcept>
#include <thread>

namespace {

ScriptedLink* gLink = nullptr;

bool Create(const TConnParams*) {
    gLink->Call("create");
    return gLink->createOk;
}
void Delete() {
    gLink->Call("delete");
    ++gLink->deleteCalls;
}
bool IsValid() {
    gLink->Call("valid");
    return gLink->validOk;
}
bool Wait(uint32_t timeout) {
    gLink->Call("wait " + std::to_string(timeout));
    std::this_thread::sleep_for(std::chrono::milliseconds(gLink->waitMs.load()));
    {
        std::lock_guard lock(gLink->mutex);
        gLink->waitReturned = std::chrono::steady_clock::now();
    }
    return gLink->waitOk;
}
bool Request(TZelkBasicMsg* request, TZelkBasicMsg* answer) {
    const bool ok = gLink->Answer(*request, *answer);
    std::function<void(TZelkBasicMsg&)> tamper;
    {
        std::lock_guard lock(gLink->mutex);
        tamper = gLink->tamper;
    }
    if (ok && tamper)
        tamper(*answer);
    return ok;
}
void SetLog(const char* file, int32_t level) {
    gLink->Call(std::string("log ") + file + " " + std::to_string(level));
}
void SetNotifyRx(TOciMethod method) {
    gLink->Call(method.Code ? "rx set" : "rx empty");
}
void SetNotifyError(TOciMethod method) {
    gLink->Call(method.Code ? "error set" : "error empty");
}

TZelkBasicMsg Reply(uint8_t command, const void* data, uint8_t length) {
    TZelkBasicMsg answer{};
    answer.Command = command;
    answer.Length = length;
    if (length > 0) // an empty answer may come without data
        std::memcpy(answer.Data, data, length);
    return answer;
}

} // namespace

ScriptedLink::ScriptedLink() {
    DefaultConfig(config);
    gLink = this;
    orvex::ociCreateNewConnection = Create;
    orvex::ociDeleteConnection = Delete;
    orvex::ociIsValid = IsValid;
    orvex::ociWaitToConnect = Wait;
    orvex::ociConnectedRequest = Request;
    orvex::ociSetLog = SetLog;
    orvex::ociSetNotifyRx = SetNotifyRx;
    orvex::ociSetNotifyError = SetNotifyError;
}

ScriptedLink::~ScriptedLink() {
    orvex::FreeOrvexLib(); // clears every entry point
    gLink = nullptr;
}

void ScriptedLink::SetTamper(std::function<void(TZelkBasicMsg& answer)> newTamper) {
    std::lock_guard lock(mutex);
    tamper = std::move(newTamper);
}

void ScriptedLink::SetStatusByte(std::size_t index, uint8_t value) {
    std::lock_guard lock(mutex);
    status.Bytes()[index] = value;
}

std::vector<TZelkBasicMsg> ScriptedLink::Requests() {
    std::lock_guard lock(mutex);
    return requests;
}

std::vector<char> ScriptedLink::Commands() {
    std::vector<char> commands;
    for (const auto& r : Requests())
        commands.push_back(static_cast<char>(r.Command));
    return commands;
}

std::vector<std::string> ScriptedLink::Calls() {
    std::lock_guard lock(mutex);
    return calls;
}

void ScriptedLink::Call(const std::string& name) {
    std::lock_guard lock(mutex);
    calls.push_back(name);
}

bool ScriptedLink::Answer(const TZelkBasicMsg& request, TZelkBasicMsg& answer) {
    {
        std::lock_guard lock(mutex);
        requests.push_back(request);
    }
    switch (request.Command) {
    case '#': {
        const uint8_t ok = acceptLogin ? 1 : 0;
        answer = Reply('#', &ok, 1);
        return true;
    }
    case 0x22: {
        const uint8_t bytes[4] = {
            static_cast<uint8_t>(firmware), static_cast<uint8_t>(firmware >> 8),
            static_cast<uint8_t>(firmware >> 16), static_cast<uint8_t>(firmware >> 24)};
        answer = Reply(0x22, bytes, 4);
        return true;
    }
    case 'N':
        answer = Reply('N', &nAnswer, 1);
        return true;
    case 'S':
        answer = Reply('S', config.Bytes(), kConfigWireSize);
        return true;
    case '@': {
        std::this_thread::sleep_for(std::chrono::milliseconds(holdStatusMs.load()));
        if (throwOnStatus > 0) {
            --throwOnStatus;
            throw std::runtime_error("scripted error");
        }
        if (failStatus)
            return false;
        std::lock_guard lock(mutex);
        answer = Reply('@', status.Bytes(), kStatusSize);
        return true;
    }
    default:
        answer = Reply(request.Command, nullptr, 0);
        return true;
    }
}
