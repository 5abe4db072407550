// Frames exchanged with the board: builders of every request and the 'N' check.
#pragma once

#include "link/Tpyloxdata.h"

#include <orvexlink.h>

#include <cstdint>
#include <string>

// Request and answer commands.
inline constexpr uint8_t kCmdLogin = '#';
inline constexpr uint8_t kCmdVersion = 0x22;
inline constexpr uint8_t kCmdNQuery = 'N';
inline constexpr uint8_t kCmdReadConfig = 'S';
inline constexpr uint8_t kCmdWriteConfig = 'R';
inline constexpr uint8_t kCmdCommit = 'U';
inline constexpr uint8_t kCmdStatus = '@';

// The link library is handed the TZelkBasicMsg part, whose 242 bytes keep the
// frame layout; this class adds behaviour only.
class TPyloxMsg : public TZelkBasicMsg {
public:
    TPyloxMsg();
    TPyloxMsg(const TPyloxMsg&) = default;
    TPyloxMsg& operator=(const TPyloxMsg&) = default;
    virtual ~TPyloxMsg() = default;

    TZelkBasicMsg* Frame() { return this; }
    const TZelkBasicMsg* Frame() const { return this; }

    // The password and its terminator when it has at most 20 characters,
    // otherwise its first 20 characters without one.
    void BuildLogin(const std::string& password);
    void BuildVersionRequest() { SetEmpty(kCmdVersion); }
    void BuildNQuery() { SetEmpty(kCmdNQuery); }
    void BuildReadConfig() { SetEmpty(kCmdReadConfig); }
    // The first 73 bytes of the record; the tail byte never goes to the board.
    void BuildWriteConfig(const TPyloxConfig& config);
    void BuildCommit() { SetEmpty(kCmdCommit); }
    void BuildStatusRequest() { SetEmpty(kCmdStatus); }

    // This frame as an 'N' answer: Length 1 and command 'N'.
    bool ParseNAnswer(uint32_t& value) const;

    // Takes over an answer: Length, Command, ControlA, ControlB, LinkWord and the
    // data in use. An answer whose Length exceeds the data block is damaged: false,
    // and this frame is left as it was.
    bool CopyAnswer(const TZelkBasicMsg& answer);

private:
    void SetEmpty(uint8_t command);
};

static_assert(sizeof(TZelkBasicMsg) == 242);
