// Conversion between window texts (QString) and the program's 8-bit texts, which
// are Windows-1252 bytes so that passwords, names and board texts keep the bytes
// they have on the wire, in the settings store and in configuration files.
#pragma once

#include <QString>

#include <string>

// A character that Windows-1252 cannot hold becomes '?', as the platform's default
// conversion does.
std::string ToAnsi(const QString& text);
QString FromAnsi(const std::string& text);
