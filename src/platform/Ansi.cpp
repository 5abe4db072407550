#include "platform/Ansi.h"

#include <QList>

#include <array>

namespace {

// Code points of the bytes 0x80-0x9F; the five unassigned bytes map to the C1
// controls of the same value, as Windows' own conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToAnsiChar(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == code)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

std::string ToAnsi(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t code : text.toUcs4())
        result.push_back(ToAnsiChar(code));
    return result;
}

QString FromAnsi(const std::string& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char byte : text)
        result.append(byte >= 0x80 && byte < 0xA0 ? QChar(kHighControls[byte - 0x80])
                                                  : QChar(byte));
    return result;
}
