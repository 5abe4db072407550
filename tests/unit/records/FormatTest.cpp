#include "settings/Ut.h"

#include <gtest/gtest.h>

namespace {

TEST(Format, BoardIdIsDottedHexadecimal) {
    struct Case {
        TBoardId id;
        const char* text;
    } cases[] = {
        {{0x789ABCDE, 0x3456, 0x12}, "12.345.678.9AB.CDE"},
        {{0, 0, 0}, "00.000.000.000.000"},
        {{0xFFFFFFFF, 0xFFFF, 0xFF}, "FF.FFF.FFF.FFF.FFF"},
        {{0x0000000C, 0x000B, 0x0A}, "0A.000.B00.000.00C"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatBoardId(c.id), c.text);
}

TEST(Format, VersionIsFourDecimalBytesMostSignificantFirst) {
    EXPECT_EQ(FormatVersion(0x01000108), "1.0.1.8");
    EXPECT_EQ(FormatVersion(0x01020304), "1.2.3.4");
    EXPECT_EQ(FormatVersion(0x00010203), "0.1.2.3");
    EXPECT_EQ(FormatVersion(0), "0.0.0.0");
    EXPECT_EQ(FormatVersion(0xFFFFFFFF), "255.255.255.255");
}

} // namespace
