// The catalogue reader on catalogues made by msgfmt, and on damaged ones.
#include "platform/MoFile.h"
#include "Catalogues.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

using pylox::test::CatalogueOptions;
using pylox::test::CompileCatalogue;
using pylox::test::Messages;

namespace {

const Messages kMessages = {
    {"Configurazione", "Configuration"},
    {"&Collega alla scheda", "&Connect to the board"},
    {"Polarita' segnale", "Signalpolarität"},
    {"Riga\nseconda", "Line\nsecond"},
};

void PutWord(QByteArray& data, qsizetype offset, std::uint32_t value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 24 - 8 * i : 8 * i;
        data[offset + i] = char((value >> shift) & 0xff);
    }
}

// Every message the reader returns from a damaged catalogue is one of the catalogue's.
void ExpectOnlyTrueTranslations(const QByteArray& data) {
    const std::optional<TMoFile> file = TMoFile::Parse(data);
    if (!file)
        return;
    for (const auto& [msgid, msgstr] : kMessages) {
        const auto found = file->Find(QByteArray::fromStdString(msgid));
        if (found) {
            EXPECT_EQ(found->toStdString(), msgstr);
        }
    }
}

} // namespace

class MoFileByteOrder : public testing::TestWithParam<const char*> {};

TEST_P(MoFileByteOrder, FindsEveryMessageOfACatalogueMadeByMsgfmt) {
    CatalogueOptions options;
    options.endianness = GetParam();
    const std::optional<TMoFile> file = TMoFile::Parse(CompileCatalogue(kMessages, options));
    ASSERT_TRUE(file);
    for (const auto& [msgid, msgstr] : kMessages) {
        const auto found = file->Find(QByteArray::fromStdString(msgid));
        ASSERT_TRUE(found) << msgid;
        EXPECT_EQ(QString::fromUtf8(*found).toStdString(), msgstr);
    }
    EXPECT_FALSE(file->Find("Configurazion"));
    EXPECT_FALSE(file->Find("configurazione"));
    EXPECT_TRUE(file->IsUtf8());
    EXPECT_TRUE(file->Header().contains("Content-Type: text/plain; charset=UTF-8"));
}

INSTANTIATE_TEST_SUITE_P(Endianness, MoFileByteOrder, testing::Values("little", "big"));

TEST(MoFile, CharsetIsComparedWithoutRegardToCase) {
    struct Case {
        std::string contentType;
        bool utf8;
    };
    for (const Case& c :
         {Case{"text/plain; charset=UTF-8", true}, Case{"text/plain; CHARSET=utf-8", true},
          Case{"text/plain; charset=ISO-8859-1", false}, Case{"", false}}) {
        CatalogueOptions options;
        options.contentType = c.contentType;
        const std::optional<TMoFile> file = TMoFile::Parse(CompileCatalogue(kMessages, options));
        ASSERT_TRUE(file) << c.contentType;
        EXPECT_EQ(file->IsUtf8(), c.utf8) << c.contentType;
    }
}

TEST(MoFile, RejectsWhatIsNoCatalogue) {
    const QByteArray good = CompileCatalogue(kMessages);
    QByteArray badMagic = good;
    badMagic[0] = 0;
    QByteArray laterRevision = good;
    PutWord(laterRevision, 4, 0x00020000, false);
    for (const QByteArray& data : {QByteArray(), QByteArray(27, '\0'), good.left(27), badMagic,
                                   laterRevision, QByteArray("not a catalogue at all, just text")})
        EXPECT_FALSE(TMoFile::Parse(data));
}

TEST(MoFile, TruncatedCatalogueIsNeverReadBeyondItsEnd) {
    for (const char* endianness : {"little", "big"}) {
        CatalogueOptions options;
        options.endianness = endianness;
        const QByteArray good = CompileCatalogue(kMessages, options);
        for (qsizetype size = 0; size < good.size(); ++size) {
            // A copy of exactly that size, so that reading past it is caught by ASan.
            const QByteArray cut(good.constData(), size);
            ExpectOnlyTrueTranslations(cut);
        }
        // Cut inside the strings: some message is lost, so the file is rejected.
        EXPECT_FALSE(TMoFile::Parse(good.left(good.size() - 8)));
    }
}

TEST(MoFile, OffsetsAndLengthsOutsideTheFileAreRejected) {
    const QByteArray good = CompileCatalogue(kMessages);
    const std::optional<TMoFile> parsed = TMoFile::Parse(good);
    ASSERT_TRUE(parsed);
    auto word = [&good](qsizetype offset) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | std::uint8_t(good[offset + i]);
        return value;
    };
    const std::uint32_t count = word(8);
    const std::uint32_t originals = word(12);
    const std::uint32_t translations = word(16);
    const auto size = std::uint32_t(good.size());

    struct Patch {
        const char* what;
        std::uint32_t offset;
        std::uint32_t value;
    };
    std::vector<Patch> patches = {
        {"count", 8, 0xffffffff},
        {"count just too large", 8, (size - originals) / 8 + 1},
        {"originals table", 12, 0xfffffff0},
        {"translations table", 16, size},
        {"translations table near the end", 16, size - 4},
    };
    for (std::uint32_t i = 0; i < count; ++i) {
        patches.push_back({"original length", originals + 8 * i, 0xffffffff});
        patches.push_back({"original offset", originals + 8 * i + 4, 0xfffffffc});
        patches.push_back({"translation length", translations + 8 * i, size});
        patches.push_back({"translation offset", translations + 8 * i + 4, size});
    }
    for (const Patch& patch : patches) {
        QByteArray damaged = good;
        PutWord(damaged, patch.offset, patch.value, false);
        EXPECT_FALSE(TMoFile::Parse(damaged)) << patch.what << " at " << patch.offset;
    }
}

TEST(MoFile, RandomDamageNeverCrashes) {
    const QByteArray good = CompileCatalogue(kMessages);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<qsizetype> position(0, good.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        QByteArray damaged = good;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            damaged[position(random)] = char(byte(random));
        const std::optional<TMoFile> file = TMoFile::Parse(damaged);
        if (file)
            for (const auto& [msgid, msgstr] : kMessages)
                (void)file->Find(QByteArray::fromStdString(msgid));
    }
}
