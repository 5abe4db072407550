// A test double of the link library's entry points that answers like a board and
// fails on cue, so that the connection thread's exact cases can be hit.
#pragma once

#include "link/Tpyloxdata.h"

#include <orvexlink.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct ScriptedLink {
    ScriptedLink();  // installs itself as the library's entry points
    ~ScriptedLink(); // and clears them

    // What the board is.
    uint32_t firmware = 0x01000108;
    uint8_t nAnswer = 14;
    bool acceptLogin = true;
    TPyloxConfig config{};
    // Failures on cue.
    std::atomic<bool> createOk{true}, validOk{true}, waitOk{true};
    std::atomic<int> waitMs{0};
    std::atomic<bool> failStatus{false};
    std::atomic<int> holdStatusMs{0};  // a status request takes this long
    std::atomic<int> throwOnStatus{0}; // this many status requests raise an error
    // Rewrites the board's answer before the thread sees it.
    void SetTamper(std::function<void(TZelkBasicMsg& answer)> tamper);

    void SetStatusByte(std::size_t index, uint8_t value);

    // What the thread did.
    std::vector<TZelkBasicMsg> Requests();
    std::vector<char> Commands(); // command bytes of the requests, in order
    std::vector<std::string> Calls();
    int DeleteCalls() const { return deleteCalls; }
    std::chrono::steady_clock::time_point WaitReturned() const { return waitReturned; }

    // Used by the entry points.
    bool Answer(const TZelkBasicMsg& request, TZelkBasicMsg& answer);
    void Call(const std::string& name);

    std::mutex mutex;
    TPyloxStatus status{};
    std::vector<TZelkBasicMsg> requests;
    std::vector<std::string> calls;
    std::function<void(TZelkBasicMsg&)> tamper;
    std::atomic<int> deleteCalls{0};
    std::chrono::steady_clock::time_point waitReturned{};
};
