// Shared display helpers: board identity, version words, the error box.
#pragma once

#include "link/Tpyloxdata.h"

#include <QString>

#include <cstdint>
#include <string>

// 14 upper-case hexadecimal digits, Id8 then Id16 then Id32, dotted 2.3.3.3.3.
std::string FormatBoardId(const TBoardId& id);
// Four decimal bytes, most significant first, joined by ".".
std::string FormatVersion(uint32_t version);

// Sounds the exclamation beep and shows the error box with one OK button; returns
// when the user has closed it. A "\r" in the text breaks the line.
void ShowErrorBox(const QString& message);
