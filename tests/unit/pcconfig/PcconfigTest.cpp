#include "settings/Pcconfig.h"

#include "SettingsStore.h"
#include "TestEnvironment.h"
#include "passwords/Cript.h"
#include "platform/Gettext.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;
using pylox::test::LoadedPcConfig;
using pylox::test::ReadFile;

namespace {

const std::string kConfig = "\\SOFTWARE\\Orvex\\Config";
const std::array<const char*, 6> kBlobNames = {"Ut1", "Ps1", "Ut2", "Ps2", "Ut3", "Ps3"};
using Blob = std::array<std::uint8_t, 20>;

TPcConfig Defaults() {
    TPcConfig config;
    config.CommPort = 1;
    config.UserNames = {"installatore", "service", "orvex"};
    config.Passwords = {"qzv", "83tr05bn", "fenla:47"};
    return config;
}

void ExpectRecord(const TPcConfig& actual, const TPcConfig& expected) {
    EXPECT_EQ(actual.CommPort, expected.CommPort);
    EXPECT_EQ(actual.UserNames, expected.UserNames);
    EXPECT_EQ(actual.Passwords, expected.Passwords);
}

// The stored bytes of a credential value, as they are in the registry.
Blob Stored(const std::string& name) {
    TRegistry reg;
    Blob blob{};
    EXPECT_TRUE(reg.OpenKey(kConfig, false));
    EXPECT_EQ(reg.ReadBinaryData(name, blob.data(), 20), 20) << name;
    return blob;
}

Blob Plain(Blob blob) {
    UnscrambleBuffer(blob.data(), 20);
    return blob;
}

using PcconfigTest = pylox::test::SettingsStoreTest;

TEST_F(PcconfigTest, FirstRunCreatesTheKeyAndTheFirstSaveStoresTheEightValues) {
    ASSERT_FALSE(fs::exists(file_));
    TPcConfig config = LoadedPcConfig();
    ExpectRecord(config, Defaults());
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, false)) << "the load creates the key";
    EXPECT_TRUE(reg.GetValueNames().empty()) << "but writes no value";

    SavePcConfig(config);
    const std::string text = ReadFile(file_);
    const std::string section = "[HKEY_CURRENT_USER\\SOFTWARE\\Orvex\\Config]\n";
    const std::size_t start = text.find(section);
    ASSERT_NE(start, std::string::npos) << text;
    std::istringstream lines(text.substr(start + section.size()));
    std::vector<std::string> values;
    for (std::string line; std::getline(lines, line) && !line.empty();)
        values.push_back(line);

    std::string program;
    for (char c : fs::read_symlink("/proc/self/exe").string()) {
        if (c == '\\' || c == '"')
            program.push_back('\\');
        program.push_back(c);
    }
    ASSERT_EQ(values.size(), 8u) << text;
    EXPECT_EQ(values[0], "\"Comm Port\"=dword:00000001");
    EXPECT_EQ(values[1], "\"PYLOX_Little-Service\"=\"" + program + "\"");
    for (std::size_t i = 0; i < kBlobNames.size(); ++i) {
        const std::string prefix = std::string("\"") + kBlobNames[i] + "\"=hex:";
        ASSERT_TRUE(values[i + 2].starts_with(prefix)) << values[i + 2];
        // 20 bytes: 20 pairs of digits and 19 commas.
        EXPECT_EQ(values[i + 2].size(), prefix.size() + 59) << values[i + 2];
    }

    TPcConfig other = LoadedPcConfig(9);
    ExpectRecord(other, Defaults());
}

TEST_F(PcconfigTest, CredentialBlobsHoldTheTextCutTo19BytesAndAZero) {
    const struct {
        std::string text;
        std::string stored;
    } cases[] = {
        {"abcdefghijklmnopqrs", "abcdefghijklmnopqrs"},
        {"abcdefghijklmnopqrst", "abcdefghijklmnopqrs"},
        {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrs"},
        {"", ""},
        {"x", "x"},
        {"\xE8\x80 pi\xF9", "\xE8\x80 pi\xF9"},
        {std::string("ab\0cd", 5), "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        TPcConfig config = Defaults();
        config.UserNames[1] = c.text;
        config.Passwords[2] = c.text;
        SavePcConfig(config);
        for (const char* name : {"Ut2", "Ps3"}) {
            const Blob plain = Plain(Stored(name));
            EXPECT_EQ(std::string(plain.begin(), plain.begin() + c.stored.size()), c.stored);
            EXPECT_EQ(plain[c.stored.size()], 0);
        }
        TPcConfig back = LoadedPcConfig();
        EXPECT_EQ(back.UserNames[1], c.stored);
        EXPECT_EQ(back.Passwords[2], c.stored);
        EXPECT_EQ(back.UserNames[0], "installatore");
    }
}

TEST_F(PcconfigTest, EverySaveDrawsFreshFiller) {
    const TPcConfig config = LoadedPcConfig();
    SavePcConfig(config);
    std::array<Blob, 6> first;
    for (std::size_t i = 0; i < 6; ++i)
        first[i] = Stored(kBlobNames[i]);
    SavePcConfig(config);
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(kBlobNames[i]);
        const Blob second = Stored(kBlobNames[i]);
        // The default texts are at most 12 bytes: at least 7 filler bytes each.
        EXPECT_NE(second, first[i]);
        const Blob a = Plain(first[i]);
        const Blob b = Plain(second);
        const auto text = static_cast<std::size_t>(std::find(a.begin(), a.end(), 0) - a.begin());
        EXPECT_TRUE(std::equal(a.begin(), a.begin() + text + 1, b.begin()));
    }
    ExpectRecord(LoadedPcConfig(), config);
}

TEST_F(PcconfigTest, CredentialValuesThatAreNotOurBlobsReadAsTheDefaults) {
    TPcConfig custom = Defaults();
    custom.UserNames = {"anna", "bruno", "carla"};
    custom.Passwords = {"a1", "b2", "c3"};
    SavePcConfig(custom);
    ExpectRecord(LoadedPcConfig(), custom);

    Blob noZero;
    noZero.fill(ScrambleByte('a'));
    const std::array<std::uint8_t, 21> bytes{};
    const std::pair<const char*, std::function<void(TRegistry&, const char*)>> broken[] = {
        {"Ut1",
         [&](TRegistry& reg, const char* name) { reg.WriteBinaryData(name, bytes.data(), 19); }},
        {"Ps1",
         [&](TRegistry& reg, const char* name) { reg.WriteBinaryData(name, bytes.data(), 21); }},
        {"Ut2", [](TRegistry& reg, const char* name) { reg.WriteString(name, "bruno"); }},
        {"Ps2", [](TRegistry& reg, const char* name) { reg.WriteInteger(name, 20); }},
        {"Ut3",
         [&](TRegistry& reg, const char* name) { reg.WriteBinaryData(name, noZero.data(), 20); }},
        {"Ps3",
         [&](TRegistry& reg, const char* name) { reg.WriteBinaryData(name, bytes.data(), 0); }},
    };
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, false));
    for (const auto& [name, breakIt] : broken)
        breakIt(reg, name);
    ExpectRecord(LoadedPcConfig(), Defaults());
}

TEST_F(PcconfigTest, CommPortIsReadOnlyFromAnInteger) {
    const std::pair<std::function<void(TRegistry&)>, std::int32_t> cases[] = {
        {[](TRegistry& reg) { reg.WriteInteger("Comm Port", 7); }, 7},
        {[](TRegistry& reg) { reg.WriteInteger("Comm Port", 0); }, 0},
        {[](TRegistry& reg) { reg.DeleteValue("Comm Port"); }, 1},
        {[](TRegistry& reg) { reg.WriteString("Comm Port", "7"); }, 1},
        {[](TRegistry& reg) { reg.WriteBinaryData("Comm Port", "\x07\0\0\0", 4); }, 1},
    };
    for (const auto& [change, expected] : cases) {
        SCOPED_TRACE(expected);
        TPcConfig config = Defaults();
        config.CommPort = 5;
        SavePcConfig(config);
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kConfig, false));
        change(reg);
        EXPECT_EQ(LoadedPcConfig(1).CommPort, expected);
    }
}

TEST_F(PcconfigTest, AStoreFolderThatCannotBeCreatedChangesNothing) {
    std::ofstream(home_.path() / "Orvex") << "in the way";
    TPcConfig config;
    config.CommPort = 1;
    LoadPcConfig(config);
    ExpectRecord(config, TPcConfig{1, {}, {}});

    EXPECT_NO_THROW(SavePcConfig(Defaults()));
    EXPECT_EQ(ReadFile(home_.path() / "Orvex"), "in the way");
    EXPECT_EQ(std::distance(fs::directory_iterator(home_.path()), fs::directory_iterator()), 1);
}

TEST_F(PcconfigTest, AFailedPortWriteEndsTheSaveWithAnError) {
    SavePcConfig(Defaults());
    const std::string before = ReadFile(file_);
    // A folder in place of the lock file: the key still opens, no write can lock.
    fs::remove(file_.string() + ".lock");
    fs::create_directory(file_.string() + ".lock");
    TPcConfig changed = Defaults();
    changed.CommPort = 9;
    changed.UserNames[0] = "nuovo";
    EXPECT_THROW(SavePcConfig(changed), ERegistryException);
    EXPECT_EQ(ReadFile(file_), before);
}

TEST_F(PcconfigTest, LoadSeedsTheGeneratorWithTheTime) {
    const std::time_t before = std::time(nullptr);
    LoadedPcConfig();
    const int drawn = std::rand();
    const std::time_t after = std::time(nullptr);
    std::vector<int> expected;
    for (std::time_t t = before; t <= after; ++t) {
        std::srand(static_cast<unsigned>(t));
        expected.push_back(std::rand());
    }
    EXPECT_NE(std::find(expected.begin(), expected.end(), drawn), expected.end());
}

TEST_F(PcconfigTest, DefaultNamesFollowTheLanguageOfTheLoadAndStayOnceSaved) {
    const QStringList folders = CatalogueFolders();
    SetCatalogueFolders({QString::fromStdString((pylox::test::BinDir() / "locale").string())});
    UseLanguage(QStringLiteral("de"));
    TPcConfig config = LoadedPcConfig();
    EXPECT_EQ(config.UserNames, (std::array<std::string, 3>{"Installateur", "Service", "orvex"}));
    EXPECT_EQ(config.Passwords, Defaults().Passwords);
    SavePcConfig(config);

    UseLanguage(QStringLiteral("en"));
    EXPECT_EQ(LoadedPcConfig().UserNames[0], "Installateur");
    UseLanguage(QStringLiteral("C"));
    SetCatalogueFolders(folders);
}

TEST_F(PcconfigTest, TwoProcessesSavingAtOnceLoseNothing) {
    constexpr int kRounds = 25;
    std::vector<std::function<bool()>> savers;
    for (int k = 0; k < 2; ++k)
        savers.push_back([k] {
            TPcConfig config = LoadedPcConfig();
            config.CommPort = 10 + k;
            TRegistry reg;
            bool ok = true;
            for (int i = 0; i < kRounds && ok; ++i) {
                SavePcConfig(config);
                ok = reg.OpenKey(kConfig + "\\Pylox V2", true);
                reg.WriteString("Saved" + std::to_string(k) + "-" + std::to_string(i), "en");
            }
            return ok;
        });
    for (const bool ok : pylox::test::RunTogether(savers))
        EXPECT_TRUE(ok);

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, false));
    EXPECT_EQ(reg.GetValueNames(),
              (std::vector<std::string>{"Comm Port", "PYLOX_Little-Service", "Ut1", "Ps1", "Ut2",
                                        "Ps2", "Ut3", "Ps3"}));
    const TPcConfig loaded = LoadedPcConfig();
    EXPECT_TRUE(loaded.CommPort == 10 || loaded.CommPort == 11) << loaded.CommPort;
    ExpectRecord(TPcConfig{1, loaded.UserNames, loaded.Passwords}, Defaults());
    ASSERT_TRUE(reg.OpenKey("Pylox V2", false));
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < kRounds; ++i)
            EXPECT_TRUE(reg.ValueExists("Saved" + std::to_string(k) + "-" + std::to_string(i)))
                << k << "-" << i;
    }
}

} // namespace
