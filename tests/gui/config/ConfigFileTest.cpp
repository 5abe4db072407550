#include "ConfigFixture.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/resource.h>

using namespace pylox::test;

namespace {

TPyloxConfig Pattern() {
    TPyloxConfig config;
    for (std::size_t i = 0; i < kConfigSize; ++i)
        config.Bytes()[i] = static_cast<uint8_t>(0xC3 ^ (i * 11));
    config.Inputs[0] = {stAllarme, 5, 0x81};
    return config;
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ConfigFile, RoundTripsAllRecordBytesBehindTheMark) {
    TempDir dir;
    const auto path = dir.path() / "board.cfg";
    const TPyloxConfig saved = Pattern();
    ASSERT_TRUE(SaveConfigFile(QString::fromStdString(path.string()), saved));
    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 78u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x1A\x01\x4C\x1A", 4));
    EXPECT_EQ(static_cast<uint8_t>(bytes[77]), saved.Tail);
    TPyloxConfig loaded{};
    ASSERT_TRUE(LoadConfigFile(QString::fromStdString(path.string()), loaded));
    EXPECT_EQ(loaded, saved);
}

TEST(ConfigFile, RefusesAWrongMarkOrAShortFileAndReadsAPrefixOfALongOne) {
    TempDir dir;
    const auto path = dir.path() / "x.cfg";
    const QString name = QString::fromStdString(path.string());
    ASSERT_TRUE(SaveConfigFile(name, Pattern()));
    const std::string good = ReadFile(path);

    const std::string refused[] = {"\x1A\x01\x4C\x1B" + good.substr(4), good.substr(0, 77),
                                   good.substr(0, 3), ""};
    for (const auto& bytes : refused) {
        Write(path, bytes);
        TPyloxConfig untouched{};
        untouched.Tail = 0x77;
        EXPECT_FALSE(LoadConfigFile(name, untouched)) << bytes.size();
        EXPECT_EQ(untouched.Tail, 0x77);
        EXPECT_EQ(untouched.Bytes()[0], 0);
    }
    Write(path, good + "\xFF\xFF");
    TPyloxConfig loaded{};
    ASSERT_TRUE(LoadConfigFile(name, loaded));
    EXPECT_EQ(loaded, Pattern());
    EXPECT_FALSE(
        LoadConfigFile(QString::fromStdString((dir.path() / "missing.cfg").string()), loaded));
}

// The process may write files of at most this many bytes while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

TEST(ConfigFile, AFailedSaveLeavesTheOldFileIntact) {
    TempDir dir;
    const auto path = dir.path() / "old.cfg";
    const QString name = QString::fromStdString(path.string());
    ASSERT_TRUE(SaveConfigFile(name, Pattern()));
    const std::string before = ReadFile(path);
    TPyloxConfig other{};
    {
        FileSizeLimit limit(40); // the disk is full after 40 bytes
        EXPECT_FALSE(SaveConfigFile(name, other));
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left behind
    EXPECT_FALSE(
        SaveConfigFile(QString::fromStdString((dir.path() / "no/such/dir.cfg").string()), other));
}

class ConfigFileDialogs : public ConfigWindowFixture {
protected:
    TempDir dir;
};

TEST_F(ConfigFileDialogs, SavingStoresTheControlsFirstEvenWhenCancelled) {
    WhenVisible("ConfigFrm", [&](QWidget*) {
        Click(config.TipoRg[0], stTamper);
        AnswerFileDialog(config.SaveDialog, "");
        config.SaveBtn->click();
        config.CancelBtn->click();
    });
    EXPECT_FALSE(config.Execute(nullptr, record));
    EXPECT_EQ(record.Inputs[0].Type, stTamper);
}

TEST_F(ConfigFileDialogs, ALoadedFileReplacesTheRecordAndACancelledOpenChangesNothing) {
    const auto path = dir.path() / "prepared.cfg";
    TPyloxConfig prepared = Pattern(); // every byte the window does not edit is odd
    prepared.Inputs[1] = {stTamper, 2, 0x40};
    prepared.Inputs[2] = {stIO, 1, 0x00};
    prepared.Inputs[3] = {stGuasto, 6, 0x01};
    ASSERT_TRUE(SaveConfigFile(QString::fromStdString(path.string()), prepared));
    WhenVisible("ConfigFrm", [&](QWidget*) {
        AnswerFileDialog(config.OpenDialog, "");
        config.LoadBtn->click();
        EXPECT_EQ(config.TipoRg[3]->ItemIndex(), stIO);
        AnswerFileDialog(config.OpenDialog, path.string());
        config.LoadBtn->click();
        EXPECT_EQ(config.TipoRg[3]->ItemIndex(), stGuasto);
        config.CloseBtn->click();
    });
    ASSERT_TRUE(config.Execute(nullptr, record));
    EXPECT_EQ(record.Inputs[3].Type, stGuasto);
    EXPECT_EQ(record.Tail, prepared.Tail);
    EXPECT_EQ(std::memcmp(record.Bytes(), prepared.Bytes(), kConfigSize), 0);
}

TEST_F(ConfigFileDialogs, ABadFileIsReportedOnceAndTheControlsReturnToTheRecord) {
    const auto path = dir.path() / "bad.cfg";
    Write(path, std::string(78, 'x'));
    QString message;
    WhenVisible("ConfigFrm", [&](QWidget*) {
        Click(config.TipoRg[0], stGuasto);
        AnswerFileDialog(config.OpenDialog, path.string());
        AnswerMessageBox(&message);
        config.LoadBtn->click();
        EXPECT_EQ(config.TipoRg[0]->ItemIndex(), stIO); // the unsaved change is lost
        config.CancelBtn->click();
    });
    EXPECT_FALSE(config.Execute(nullptr, record));
    EXPECT_EQ(message, "Errore nella lettura del file");
}

TEST_F(ConfigFileDialogs, AnUnwritableFileIsReportedAndTheRecordKeepsTheControls) {
    QString message;
    WhenVisible("ConfigFrm", [&](QWidget*) {
        Click(config.TipoRg[1], stAllarme);
        AnswerFileDialog(config.SaveDialog, (dir.path() / "missing-folder" / "x.cfg").string());
        AnswerMessageBox(&message);
        config.SaveBtn->click();
        config.CancelBtn->click();
    });
    EXPECT_FALSE(config.Execute(nullptr, record));
    EXPECT_EQ(message, "Errore nella scrittura del file");
    EXPECT_EQ(record.Inputs[1].Type, stAllarme);
}

} // namespace
