#include "passwords/Cript.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>
#include <set>

namespace {

using Blob = std::array<std::uint8_t, 20>;

TEST(Cript, EveryByteScramblesToADistinctByteAndBack) {
    std::set<std::uint8_t> images;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        images.insert(ScrambleByte(byte));
        EXPECT_EQ(UnscrambleByte(ScrambleByte(byte)), byte) << b;
        EXPECT_EQ(ScrambleByte(UnscrambleByte(byte)), byte) << b;
    }
    EXPECT_EQ(images.size(), 256u);
}

TEST(Cript, StoredBlobsKeepTheirMeaning) {
    // Credentials stored by earlier versions must read back the same: the tables
    // and the mask are part of the stored format.
    Blob blob = {'o', 'r', 'v', 'e', 'x', 0};
    ScrambleBuffer(blob.data(), 6);
    EXPECT_EQ(blob, (Blob{0xE9, 0x32, 0x2F, 0x60, 0x76, 0xED}));
}

TEST(Cript, BuffersRoundTripWhateverTheyHold) {
    std::mt19937 random(12345);
    std::vector<Blob> blobs = {Blob{}, Blob{}};
    blobs[1].fill(0xFF);
    for (int i = 0; i < 500; ++i) {
        Blob blob;
        for (auto& byte : blob)
            byte = static_cast<std::uint8_t>(random());
        blobs.push_back(blob);
    }
    for (const Blob& original : blobs) {
        Blob blob = original;
        EXPECT_TRUE(ScrambleBuffer(blob.data(), 20));
        EXPECT_TRUE(UnscrambleBuffer(blob.data(), 20));
        EXPECT_EQ(blob, original);
    }
}

TEST(Cript, EachByteIsTransformedOnItsOwn) {
    Blob text = {'q', 'z', 'v', 0, 0x10, 0x00, 0xC8};
    Blob scrambled = text;
    ScrambleBuffer(scrambled.data(), 20);
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_EQ(scrambled[i], ScrambleByte(text[i])) << "offset " << i;
    // Zeros, the terminator among them, are scrambled like any byte.
    EXPECT_EQ(scrambled[3], ScrambleByte(0));
    EXPECT_EQ(scrambled[19], ScrambleByte(0));

    for (std::size_t i = 0; i < text.size(); ++i) {
        Blob changed = text;
        changed[i] ^= 0x5A;
        ScrambleBuffer(changed.data(), 20);
        for (std::size_t j = 0; j < text.size(); ++j) {
            if (j == i)
                EXPECT_NE(changed[j], scrambled[j]);
            else
                EXPECT_EQ(changed[j], scrambled[j]);
        }
    }
}

TEST(Cript, OnlyTheGivenLengthIsTouched) {
    for (std::int32_t length : {0, -1, -20}) {
        Blob blob = {1, 2, 3};
        const Blob before = blob;
        EXPECT_TRUE(ScrambleBuffer(blob.data(), length));
        EXPECT_TRUE(UnscrambleBuffer(blob.data(), length));
        FillRandomBytes(blob.data(), length);
        EXPECT_EQ(blob, before) << length;
    }
    Blob blob = {1, 2, 3, 4};
    ScrambleBuffer(blob.data(), 3);
    EXPECT_EQ(blob[2], ScrambleByte(3));
    EXPECT_EQ(blob[3], 4);
}

TEST(Cript, FillerIsTheLowByteOfTheSeededGenerator) {
    std::srand(42);
    std::array<std::uint8_t, 64> expected{};
    for (auto& byte : expected)
        byte = static_cast<std::uint8_t>(std::rand() & 0xFF);
    std::srand(42);
    std::array<std::uint8_t, 65> filled{};
    FillRandomBytes(filled.data(), 64);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), filled.begin()));
    EXPECT_EQ(filled[64], 0);
}

} // namespace
