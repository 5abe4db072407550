// The options window's unit. The stored language choice: the registry value
// "Language" under HKEY_CURRENT_USER "\SOFTWARE\Orvex\Config\Pylox V2".
#pragma once

#include <string>

// The stored language code, or an empty text when none is stored. A value of
// another type than text reads as empty and is replaced by an empty text. The
// key is created when missing.
std::string ReadLanguage();
// Stores the language code; a failure is not reported.
void WriteLanguage(const std::string& code);
