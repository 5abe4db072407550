#include "platform/Registry.h"

#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;
using pylox::test::ReadFile;

namespace {

const std::string kConfig = "\\SOFTWARE\\Orvex\\Config";

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<fs::path> DamagedCopies(const fs::path& folder) {
    std::vector<fs::path> copies;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("registry.reg.damaged-"))
            copies.push_back(entry.path());
    }
    return copies;
}

using RegistryTest = pylox::test::SettingsStoreTest;

TEST_F(RegistryTest, StoreFileIsARegeditExportInThePrivateConfigFolder) {
    EXPECT_EQ(file_, home_.path() / "Orvex" / "registry.reg");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, true));
    reg.WriteInteger("Comm Port", 10);
    reg.WriteString("Path", "C:\\Programmi\\\"Pylox\"");
    const std::array<std::uint8_t, 3> bytes = {0x1a, 0x01, 0xff};
    reg.WriteBinaryData("Ut1", bytes.data(), 3);
    reg.WriteInteger("Negative", -1);
    ASSERT_TRUE(reg.OpenKey("Pylox V2", true));
    reg.WriteString("", "default");

    EXPECT_EQ(ReadFile(file_), "Windows Registry Editor Version 5.00\n"
                               "\n"
                               "[HKEY_CURRENT_USER]\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\SOFTWARE]\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\SOFTWARE\\Orvex]\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\SOFTWARE\\Orvex\\Config]\n"
                               "\"Comm Port\"=dword:0000000a\n"
                               "\"Path\"=\"C:\\\\Programmi\\\\\\\"Pylox\\\"\"\n"
                               "\"Ut1\"=hex:1a,01,ff\n"
                               "\"Negative\"=dword:ffffffff\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\SOFTWARE\\Orvex\\Config\\Pylox V2]\n"
                               "@=\"default\"\n"
                               "\n");

    struct stat info {};
    ASSERT_EQ(stat(file_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(file_.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // The temporary file of the atomic write is gone.
    EXPECT_FALSE(fs::exists(file_.string() + ".tmp"));
}

TEST_F(RegistryTest, FileStaysPrivateWhateverTheUmask) {
    mode_t old = umask(0);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, true));
    reg.WriteInteger("Comm Port", 1);
    umask(old);
    struct stat info {};
    ASSERT_EQ(stat(file_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(RegistryTest, TextsKeepEveryWindows1252Byte) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, true));
    reg.WriteString("All", all);
    reg.WriteString("Euro \x80 \xE8", "\x80\xE8\x81");
    EXPECT_EQ(reg.ReadString("All"), all);
    EXPECT_EQ(reg.ReadString("Euro \x80 \xE8"), "\x80\xE8\x81");
    // The file is UTF-8: each byte stands as its character.
    const std::string text = ReadFile(file_);
    EXPECT_NE(text.find("\"Euro \u20AC \u00E8\"=\"\u20AC\u00E8\u0081\"\n"), std::string::npos);
}

TEST_F(RegistryTest, EveryValueSurvivesTheFileUnchanged) {
    QByteArray wide(200, '\0');
    for (int i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char>(i * 7);
    const std::vector<std::pair<QString, TRegValue>> values = {
        {"text", TRegValue::String("plain")},
        {"empty text", TRegValue::String("")},
        {"line breaks", TRegValue::String("one\r\ntwo")},
        {"no terminator", {REG_SZ, QByteArray("a\0", 2)}},
        {"inner zero", {REG_SZ, QByteArray("a\0\0\0b\0\0\0", 8)}},
        {"expandable", {REG_EXPAND_SZ, TRegValue::String("%PATH%").Data}},
        {"number", TRegValue::Dword(0xdeadbeef)},
        {"short dword", {REG_DWORD, QByteArray("\x01\x02", 2)}},
        {"no bytes", TRegValue::Binary({})},
        {"long bytes", TRegValue::Binary(wide)},
        {"multi", {7, QByteArray("a\0\0\0\0\0", 6)}},
        {"qword", {0xb, QByteArray(8, '\x11')}},
        {"", TRegValue::String("default value")},
        {"quote \" and \\ in a name", TRegValue::Dword(1)},
    };
    TRegKey root;
    TRegKey& key = root.Create({"Software", "Key with ] and = in it"});
    for (const auto& [name, value] : values)
        key.SetValue(name, value);

    const QByteArray text = FormatRegistryFile(root);
    for (const QByteArray& line : text.split('\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    bool damaged = true;
    TRegKey back = ParseRegistryFile(text, &damaged);
    EXPECT_FALSE(damaged) << text.toStdString();
    const TRegKey* found = back.Find({"SOFTWARE", "key with ] and = in it"});
    ASSERT_NE(found, nullptr) << text.toStdString();
    ASSERT_EQ(found->Values().size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(values[i].first.toStdString());
        EXPECT_EQ(found->Values()[i].first, values[i].first);
        EXPECT_EQ(found->Values()[i].second.Type, values[i].second.Type);
        EXPECT_EQ(found->Values()[i].second.Data, values[i].second.Data);
    }
}

TEST_F(RegistryTest, HandWrittenFilesInRegeditSpellingRead) {
    WriteText(file_, "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                     "\r\n"
                     "; written by hand\r\n"
                     "[HKEY_CURRENT_USER\\Software\\Orvex\\Config]\r\n"
                     "\"Comm Port\" = DWORD:0000000C\r\n"
                     "\"Ut1\"=hex:01,02,\\\r\n"
                     "  03,0A,\\\r\n"
                     "  ff\r\n"
                     "\"Name\"=\"C:\\\\x\"\r\n"
                     "\"Name\"=\"last one wins\"\r\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, false));
    EXPECT_EQ(reg.ReadInteger("Comm Port"), 12);
    std::array<std::uint8_t, 8> bytes{};
    ASSERT_EQ(reg.ReadBinaryData("Ut1", bytes.data(), 8), 5);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{1, 2, 3, 10, 255, 0, 0, 0}));
    EXPECT_EQ(reg.ReadString("Name"), "last one wins");
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"Comm Port", "Ut1", "Name"}));

    // A clean file is not kept aside when it is rewritten.
    reg.WriteInteger("Comm Port", 2);
    EXPECT_TRUE(DamagedCopies(file_.parent_path()).empty());
    EXPECT_EQ(reg.ReadString("Name"), "last one wins");
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, true));
    reg.WriteInteger("Comm Port", 3);

    TRegistry other;
    ASSERT_TRUE(other.OpenKey("\\software\\ORVEX\\config", true));
    EXPECT_EQ(other.ReadInteger("COMM PORT"), 3);
    other.WriteInteger("comm port", 4);
    ASSERT_TRUE(other.OpenKey("\\Software\\Orvex\\CONFIG\\Pylox V2", true));

    EXPECT_EQ(reg.ReadInteger("Comm Port"), 4);
    const std::string text = ReadFile(file_);
    EXPECT_NE(
        text.find("[HKEY_CURRENT_USER\\SOFTWARE\\Orvex\\Config]\n\"Comm Port\"=dword:00000004"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("comm port"), std::string::npos) << text;
    EXPECT_EQ(text.find("[HKEY_CURRENT_USER\\Software"), std::string::npos) << text;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\SOFTWARE\\Orvex\\Config\\Pylox V2]"),
              std::string::npos)
        << text;
}

TEST_F(RegistryTest, ReadsRaiseTypeErrorsWhereTheValueDoesNotFit) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, true));
    reg.WriteInteger("Number", 5);
    reg.WriteString("Text", "5");
    const std::array<std::uint8_t, 4> four = {1, 2, 3, 4};
    reg.WriteBinaryData("Bytes", four.data(), 4);

    std::array<std::uint8_t, 4> buffer{};
    EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Bytes"), ERegistryException);
    EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
    EXPECT_THROW(reg.ReadString("Bytes"), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Number", buffer.data(), 4), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Text", buffer.data(), 4), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Bytes", buffer.data(), 3), ERegistryException);

    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(reg.ReadBinaryData("Missing", buffer.data(), 4), 0);
    EXPECT_EQ(reg.ReadBinaryData("Bytes", buffer.data(), 4), 4);
    EXPECT_EQ(buffer, four);
    EXPECT_EQ(reg.ReadInteger("Number"), 5);
    EXPECT_EQ(reg.ReadString("Text"), "5");
}

TEST_F(RegistryTest, StringsEndAtTheirFirstZero) {
    WriteText(file_, "Windows Registry Editor Version 5.00\n\n"
                     "[HKEY_CURRENT_USER\\Lang]\n"
                     "\"Language\"=hex(1):65,00,6e,00,00,00,78,00,00,00\n"
                     "\"Expand\"=hex(2):64,00,65,00,00,00\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Lang", false));
    EXPECT_EQ(reg.ReadString("Language"), "en");
    EXPECT_EQ(reg.ReadString("Expand"), "de");
}

TEST_F(RegistryTest, KeysOpenRelativeOrAbsoluteAndCreateOnlyWhenAsked) {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(kConfig, false));
    EXPECT_FALSE(fs::exists(file_)) << "opening must not write";
    EXPECT_THROW(reg.ReadString("x"), ERegistryException);
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);

    ASSERT_TRUE(reg.CreateKey(kConfig));
    EXPECT_THROW(reg.ReadString("x"), ERegistryException) << "CreateKey leaves no key open";
    ASSERT_TRUE(reg.OpenKey("SOFTWARE", false));
    ASSERT_TRUE(reg.OpenKey("Orvex\\", false));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Orvex");
    EXPECT_TRUE(reg.HasSubKeys());
    ASSERT_TRUE(reg.CreateKey("Second"));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Orvex");
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"Config", "Second"}));
    ASSERT_TRUE(reg.OpenKey("Config", false));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Orvex\\Config");
    EXPECT_FALSE(reg.HasSubKeys());
    EXPECT_FALSE(reg.OpenKey("Orvex", false)) << "relative to the open key";
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Orvex\\Second", false));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Orvex\\Second");

    reg.WriteString("b", "2");
    reg.WriteString("a", "1");
    reg.WriteString("B", "3");
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(reg.ValueExists("A"));
    EXPECT_TRUE(reg.DeleteValue("A"));
    EXPECT_FALSE(reg.DeleteValue("a"));
    EXPECT_FALSE(reg.ValueExists("a"));
    EXPECT_EQ(reg.ReadString("b"), "3");
}

TEST_F(RegistryTest, ReadOnlyKeysRefuseWrites) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, true));
    reg.WriteString("Language", "en");
    ASSERT_TRUE(reg.OpenKeyReadOnly(kConfig));
    EXPECT_THROW(reg.WriteString("Language", "de"), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("Language"));
    EXPECT_EQ(reg.ReadString("Language"), "en");

    TRegistry reader(KEY_READ);
    ASSERT_TRUE(reader.OpenKey(kConfig, false));
    EXPECT_THROW(reader.WriteInteger("Comm Port", 1), ERegistryException);
    EXPECT_FALSE(reader.ValueExists("Comm Port"));
}

TEST_F(RegistryTest, AStoreFolderThatCannotBeMadeFailsQuietly) {
    WriteText(home_.path() / "Orvex", "a file where the folder should be");
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(kConfig, true));
    EXPECT_FALSE(reg.CreateKey(kConfig));
    EXPECT_FALSE(reg.OpenKey(kConfig, false));
    EXPECT_EQ(ReadFile(home_.path() / "Orvex"), "a file where the folder should be");
}

TEST_F(RegistryTest, WritesThatCannotReachTheFileRaiseAndChangeNothing) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, true));
    reg.WriteInteger("Comm Port", 3);
    const std::string before = ReadFile(file_);
    // A folder in place of the lock file: no process, not even root, can lock it.
    fs::create_directory(file_.string() + ".lock.new");
    fs::remove(file_.string() + ".lock");
    fs::rename(file_.string() + ".lock.new", file_.string() + ".lock");

    EXPECT_THROW(reg.WriteInteger("Comm Port", 4), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("Comm Port"));
    EXPECT_FALSE(reg.CreateKey("Sub"));
    EXPECT_EQ(reg.ReadInteger("Comm Port"), 3);
    EXPECT_EQ(ReadFile(file_), before);
}

TEST_F(RegistryTest, AFileThatCannotBeReadIsNeverReplaced) {
    // A folder where the file should be: reading fails for every user.
    fs::create_directories(file_ / "inside");
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(kConfig, true));
    EXPECT_FALSE(reg.CreateKey(kConfig));
    EXPECT_TRUE(fs::is_directory(file_ / "inside"));
}

TEST_F(RegistryTest, ADamagedFileLosesOnlyItsUnreadableValuesAndIsKeptAside) {
    const std::string damaged = "Windows Registry Editor Version 5.00\n"
                                "\n"
                                "[HKEY_CURRENT_USER\\SOFTWARE\\Orvex\\Config]\n"
                                "\"Comm Port\"=dword:00000007\n"
                                "\"Bad number\"=dword:12345678xyz\n"
                                "\"Ut1\"=hex:01,02,03\n"
                                "\"Cut short\"=hex:01,02,\\\n"
                                "\xC3\x28\n"
                                "\"Cut before the next value\"=hex:0a,\\\n"
                                "\"Follows\"=dword:00000001\n"
                                "\"Bad utf8 \xff\"=\"x\"\n"
                                "\"Unclosed\"=\"abc\n"
                                "garbage line\n"
                                "\"Kept\"=\"yes\"\n"
                                "[HKEY_LOCAL_MACHINE\\Elsewhere]\n"
                                "\"Foreign\"=\"no\"\n"
                                "[HKEY_CURRENT_USER\\SOFTWARE\\Orvex\\Config\\Pylox V2]\n"
                                "\"Language\"=\"en\"\n"
                                "\"Deleted\"=-\n";
    WriteText(file_, damaged);

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, false));
    EXPECT_EQ(reg.ReadInteger("Comm Port"), 7);
    EXPECT_EQ(reg.ReadString("Kept"), "yes");
    std::array<std::uint8_t, 3> bytes{};
    EXPECT_EQ(reg.ReadBinaryData("Ut1", bytes.data(), 3), 3);
    EXPECT_EQ(reg.GetValueNames(),
              (std::vector<std::string>{"Comm Port", "Ut1", "Follows", "Kept"}));
    EXPECT_EQ(ReadFile(file_), damaged) << "reading changes nothing";
    EXPECT_TRUE(DamagedCopies(file_.parent_path()).empty());

    reg.WriteInteger("Comm Port", 8);
    auto copies = DamagedCopies(file_.parent_path());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadFile(copies[0]), damaged);
    struct stat info {};
    ASSERT_EQ(stat(copies[0].c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    bool stillDamaged = true;
    TRegKey now = ParseRegistryFile(QByteArray::fromStdString(ReadFile(file_)), &stillDamaged);
    EXPECT_FALSE(stillDamaged);
    EXPECT_EQ(reg.ReadInteger("Comm Port"), 8);
    EXPECT_EQ(reg.ReadString("Kept"), "yes");
    ASSERT_TRUE(reg.OpenKey("Pylox V2", false));
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"Language"}));

    // Once rewritten the file is sound: later writes keep nothing more aside.
    reg.WriteString("Language", "de");
    EXPECT_EQ(DamagedCopies(file_.parent_path()).size(), 1u);
}

TEST_F(RegistryTest, EachDamagedFileGetsAnAsideCopyOfItsOwn) {
    TRegistry reg;
    for (int round = 0; round < 2; ++round) {
        WriteText(file_, "not a registry file " + std::to_string(round) + "\n");
        ASSERT_TRUE(reg.OpenKey(kConfig, true));
        reg.WriteInteger("Round", round);
    }
    auto copies = DamagedCopies(file_.parent_path());
    ASSERT_EQ(copies.size(), 2u);
    std::set<std::string> texts;
    for (const auto& copy : copies)
        texts.insert(ReadFile(copy));
    EXPECT_EQ(texts, (std::set<std::string>{"not a registry file 0\n", "not a registry file 1\n"}));
}

TEST_F(RegistryTest, ConcurrentProcessesLoseNoValueAndReadersSeeWholeFiles) {
    constexpr int kWrites = 60;
    auto writer = [](const std::string& prefix) {
        return [prefix] {
            TRegistry reg;
            for (int i = 0; i < kWrites; ++i) {
                if (!reg.OpenKey(kConfig, true))
                    return false;
                reg.WriteInteger(prefix + std::to_string(i), i);
                if (i % 10 == 0 && !reg.CreateKey(prefix + "Key" + std::to_string(i)))
                    return false;
            }
            return true;
        };
    };
    const std::string path = file_.string();
    const std::string last = "\"A" + std::to_string(kWrites - 1) + "\"=";
    auto reader = [path, last] {
        // Every file seen while the writers run is whole and sound: once there, it
        // is never missing, empty or cut short.
        bool seen = false;
        for (int i = 0; i < 200000; ++i) {
            bool damaged = true;
            const std::string text = ReadFile(path);
            ParseRegistryFile(QByteArray::fromStdString(text), &damaged);
            if (damaged || (seen && text.empty()))
                return false;
            seen = seen || !text.empty();
            if (text.find(last) != std::string::npos)
                return true;
        }
        return true;
    };
    for (const bool ok : pylox::test::RunTogether({writer("A"), writer("B"), reader}))
        EXPECT_TRUE(ok);

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kConfig, false));
    for (const char* prefix : {"A", "B"}) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string name = prefix + std::to_string(i);
            ASSERT_TRUE(reg.ValueExists(name)) << name;
            EXPECT_EQ(reg.ReadInteger(name), i);
        }
    }
    EXPECT_EQ(reg.GetKeyNames().size(), 2u * kWrites / 10);
    EXPECT_TRUE(DamagedCopies(file_.parent_path()).empty());
}

// ---- HKEY_LOCAL_MACHINE ---------------------------------------------------------

class MachineRegistryTest : public testing::Test {
protected:
    MachineRegistryTest() {
        TRegKey& map = machine_->Create({"HARDWARE", "DEVICEMAP", "SERIALCOMM"});
        map.SetValue("\\Device\\Serial2", TRegValue::String("COM3"));
        map.SetValue("\\Device\\Serial0", TRegValue::String("COM1"));
        map.SetValue("Number", TRegValue::Dword(1));
        TRegKey& enumKey = machine_->Create({"System", "CurrentControlSet", "Enum"});
        enumKey.AddSubKey("USB")
            .AddSubKey("Device Parameters")
            .SetValue("PortName", TRegValue::String("COM3"));
        enumKey.AddSubKey("ACPI");
        SetLocalMachineProvider([this] { return machine_; });
    }
    ~MachineRegistryTest() override { SetLocalMachineProvider({}); }

    std::shared_ptr<TRegKey> machine_ = std::make_shared<TRegKey>();
};

TEST_F(MachineRegistryTest, IsAReadOnlyViewOfTheGivenTree) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM", false)) << "full access";
    EXPECT_FALSE(reg.OpenKey("HARDWARE\\NEW", true));
    EXPECT_FALSE(reg.CreateKey("HARDWARE\\NEW"));

    ASSERT_TRUE(reg.OpenKeyReadOnly("HARDWARE\\DEVICEMAP\\SERIALCOMM"));
    EXPECT_EQ(reg.GetValueNames(),
              (std::vector<std::string>{"\\Device\\Serial2", "\\Device\\Serial0", "Number"}));
    EXPECT_EQ(reg.ReadString("\\device\\serial0"), "COM1");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
    EXPECT_FALSE(reg.HasSubKeys());
    EXPECT_THROW(reg.WriteString("\\Device\\Serial0", "COM9"), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("Number"));
    EXPECT_EQ(reg.ReadString("\\Device\\Serial0"), "COM1");

    TRegistry reader(KEY_READ);
    reader.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reader.OpenKey("\\System\\CurrentControlSet\\Enum\\", false));
    EXPECT_TRUE(reader.HasSubKeys());
    EXPECT_EQ(reader.GetKeyNames(), (std::vector<std::string>{"USB", "ACPI"}));
    ASSERT_TRUE(reader.OpenKey("\\System\\CurrentControlSet\\Enum\\USB\\Device Parameters", false));
    EXPECT_EQ(reader.ReadString("PortName"), "COM3");
    EXPECT_FALSE(
        reader.OpenKey("\\System\\CurrentControlSet\\Enum\\ACPI\\Device Parameters", false));
    EXPECT_FALSE(fs::exists(RegistryFilePath())) << "the user's store is not touched";
}

TEST_F(MachineRegistryTest, EachOpenSeesTheTreeAsItIsThen) {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM", false));
    auto later = std::make_shared<TRegKey>();
    later->Create({"HARDWARE", "DEVICEMAP", "SERIALCOMM"})
        .SetValue("\\Device\\USBSER000", TRegValue::String("COM5"));
    machine_ = later;
    EXPECT_EQ(reg.ReadString("\\Device\\Serial0"), "COM1") << "the open key keeps its view";
    ASSERT_TRUE(reg.OpenKey("\\HARDWARE\\DEVICEMAP\\SERIALCOMM", false));
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"\\Device\\USBSER000"}));

    SetLocalMachineProvider({});
    EXPECT_FALSE(reg.OpenKey("\\HARDWARE", false)) << "no provider: an empty machine";
}

} // namespace
