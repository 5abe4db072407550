#include "settings/Ut.h"

#include "platform/Dialogs.h"

#include <cstdio>

std::string FormatBoardId(const TBoardId& id) {
    char digits[15];
    std::snprintf(digits, sizeof(digits), "%02X%04X%08X", static_cast<unsigned>(id.Id8),
                  static_cast<unsigned>(id.Id16), static_cast<unsigned>(id.Id32));
    std::string text(digits);
    // Each dot goes in at its position of the text grown by the dots before it.
    for (std::size_t position : {2u, 6u, 10u, 14u})
        text.insert(position, 1, '.');
    return text;
}

std::string FormatVersion(uint32_t version) {
    return std::to_string(version >> 24 & 0xFF) + '.' + std::to_string(version >> 16 & 0xFF) + '.' +
           std::to_string(version >> 8 & 0xFF) + '.' + std::to_string(version & 0xFF);
}

void ShowErrorBox(const QString& message) {
    Beep();
    MessageDlg(message, TMsgDlgType::Error);
}
