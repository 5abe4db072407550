// Shared display helpers: board identity, version words.
#pragma once

#include "link/Tpyloxdata.h"

#include <cstdint>
#include <string>

// 14 upper-case hexadecimal digits, Id8 then Id16 then Id32, dotted 2.3.3.3.3.
std::string FormatBoardId(const TBoardId& id);
// Four decimal bytes, most significant first, joined by ".".
std::string FormatVersion(uint32_t version);
