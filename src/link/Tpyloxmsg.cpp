#include "link/Tpyloxmsg.h"

#include <cstring>

namespace {
constexpr std::size_t kLoginMaxChars = 20;
}

TPyloxMsg::TPyloxMsg() : TZelkBasicMsg{} {
    ControlA = 128;
    ControlB = 0;
}

void TPyloxMsg::SetEmpty(uint8_t command) {
    Command = command;
    Length = 0;
}

void TPyloxMsg::BuildLogin(const std::string& password) {
    Command = kCmdLogin;
    if (password.size() <= kLoginMaxChars) {
        std::memcpy(Data, password.data(), password.size());
        Data[password.size()] = 0;
        Length = static_cast<uint8_t>(password.size() + 1);
    } else {
        std::memcpy(Data, password.data(), kLoginMaxChars);
        Length = kLoginMaxChars;
    }
}

void TPyloxMsg::BuildWriteConfig(const TPyloxConfig& config) {
    Command = kCmdWriteConfig;
    std::memcpy(Data, config.Bytes(), kConfigWireSize);
    Length = kConfigWireSize;
}

bool TPyloxMsg::ParseNAnswer(uint32_t& value) const {
    if (Length != 1 || Command != kCmdNQuery)
        return false;
    value = Data[0];
    return true;
}

bool TPyloxMsg::CopyAnswer(const TZelkBasicMsg& answer) {
    if (answer.Length > OCI_MAX_DATA)
        return false;
    Length = answer.Length;
    Command = answer.Command;
    ControlA = answer.ControlA;
    ControlB = answer.ControlB;
    std::memcpy(LinkWord, answer.LinkWord, sizeof(LinkWord));
    std::memcpy(Data, answer.Data, answer.Length);
    return true;
}
