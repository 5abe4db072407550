// The About window and the version table it shows, read back from the program file.
#include "StartFixture.h"

#include "localization/Zelklocalize.h"
#include "platform/Gettext.h"
#include "platform/VersionInfo.h"

#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include <fstream>

using namespace pylox::test;

namespace {

std::string ThisProgram() {
    return QFile::encodeName(TApplication::ExeName()).toStdString();
}

std::filesystem::path Write(const TempDir& dir, const char* name, const std::string& bytes) {
    const auto path = dir.path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(VersionTable, TheProgramFileCarriesTheItalianWindows1252Table) {
    const std::optional<TFileVersionInfo> info = TFileVersionInfo::Read(ThisProgram());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Query("\\VarFileInfo\\Translation"), std::string("\x10\x04\xE4\x04", 4));
    EXPECT_EQ(info->Query("\\StringFileInfo\\041004E4\\FileVersion"), "1.0.4.1");
    EXPECT_EQ(info->Query("StringFileInfo\\041004E4\\ProductVersion"), "1.0.0.0");
    for (const char* name : {"CompanyName", "FileDescription", "InternalName", "LegalCopyright",
                             "LegalTrademarks", "ProductName", "Comments"})
        EXPECT_TRUE(info->Query(std::string("StringFileInfo\\041004E4\\") + name)) << name;
    EXPECT_FALSE(info->Query("StringFileInfo\\040904E4\\FileVersion"));

    EXPECT_EQ(GetVersionValue("FileVersion"), "1.0.4.1");
    EXPECT_EQ(GetVersionValue("ProductVersion"), "1.0.0.0");
    EXPECT_EQ(GetVersionValue("NoSuchValue"), "");
}

TEST(VersionTable, AnotherTableInTheFileIsReadAsItIs) {
    TempDir dir;
    std::string program = ReadFile(ThisProgram());
    const std::string value = std::string("FileVersion\x07\x00", 13) + "1.0.4.1";
    const std::size_t at = program.find(value);
    ASSERT_NE(at, std::string::npos);
    program.replace(at + 13, 7, "9.8.7.6");
    const auto info = TFileVersionInfo::Read(Write(dir, "patched", program).string());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Query("StringFileInfo\\041004E4\\FileVersion"), "9.8.7.6");
}

TEST(VersionTable, FilesWithoutAReadableTableGiveNone) {
    TempDir dir;
    const std::string program = ReadFile(ThisProgram());
    std::string overlong = program;
    // A value length running past the end of the section. The name is looked up
    // with its value: the name alone stands in this test's own literals too.
    const std::size_t at = overlong.find(std::string("FileVersion\x07\x00", 13) + "1.0.4.1");
    ASSERT_NE(at, std::string::npos);
    overlong[at + 11] = '\xFF';
    overlong[at + 12] = '\x7F';
    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"missing file", (dir.path() / "none").string()},
        {"a program without a table", (BinDir() / "pylox-board").string()},
        {"not a program", Write(dir, "text", "PYLOXVER is not enough").string()},
        {"a program cut short",
         Write(dir, "short", program.substr(0, program.size() / 2)).string()},
        {"an ELF header alone", Write(dir, "header", program.substr(0, 64)).string()},
        {"a damaged table", Write(dir, "damaged", overlong).string()},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(TFileVersionInfo::Read(c.path)) << c.what;
    EXPECT_FALSE(TFileVersionInfo::Parse(std::string("PYLOXVER\x03\x00"
                                                     "ab",
                                                     12)));
    EXPECT_FALSE(TFileVersionInfo::Parse("PYLOXVE"));
    const auto padded =
        TFileVersionInfo::Parse(std::string("PYLOXVER\x01\x00k\x01\x00v\0\0\0", 17));
    ASSERT_TRUE(padded);
    EXPECT_EQ(padded->Query("k"), "v");
}

using About = AllWindows;

TEST_F(About, FromTheStartWindowItShowsTheVersionAndNoFirmware) {
    AboutFrm->Version->setText("stale");
    AboutFrm->FirmwareLb->setText("1.2.3.4");
    WhenVisible("AboutFrm", [&](QWidget*) {
        EXPECT_EQ(AboutFrm->Version->text(), "1.0.4.1");
        EXPECT_EQ(AboutFrm->FirmwareLb->text(), " ");
        EXPECT_EQ(AboutFrm->Label2->text(), "Sw Pylox version:");
        EXPECT_EQ(AboutFrm->ProductName->text().toStdString(), GetVersionValue("ProductName"));
        EXPECT_EQ(AboutFrm->CompanyName->text().toStdString(), GetVersionValue("CompanyName"));
        EXPECT_EQ(AboutFrm->Copyright->text().toStdString(), GetVersionValue("LegalCopyright"));
        EXPECT_FALSE(AboutFrm->ProgramIcon->pixmap().isNull());
        EXPECT_EQ(AboutFrm->Image3->size(), QSize(75, 30));
        AboutFrm->OKButton->click();
    });
    StartFrm->Abaut1->trigger();
    ASSERT_FALSE(AboutFrm->isVisible());
}

TEST_F(About, ExecuteShowsTheFirmwareAndReturnsHowItWasClosed) {
    WhenVisible("AboutFrm", [](QWidget*) { AboutFrm->OKButton->click(); });
    EXPECT_EQ(AboutFrm->Execute(0x01000108), mrOk);
    EXPECT_EQ(AboutFrm->FirmwareLb->text(), "1.0.1.8");
    WhenVisible("AboutFrm", [](QWidget*) { AboutFrm->close(); });
    EXPECT_EQ(AboutFrm->Execute(0x0A0B0C0D), mrCancel);
    EXPECT_EQ(AboutFrm->FirmwareLb->text(), "10.11.12.13");
}

TEST_F(About, AfterALanguageChangeTheDesignTextsFollowAndTheValuesStay) {
    SetCatalogueFolders({ShippedLocale()});
    UseLanguage("it");
    TranslateAllForms();
    UseLanguage("de");
    RetranslateForms(application.get());
    WhenVisible("AboutFrm", [](QWidget*) {
        EXPECT_EQ(AboutFrm->Label2->text(), _("Sw Pylox version:"));
        EXPECT_NE(AboutFrm->Label2->text(), "Sw Pylox version:");
        EXPECT_EQ(AboutFrm->windowTitle(), "Info");
        EXPECT_EQ(AboutFrm->Version->text(), "1.0.4.1");
        EXPECT_EQ(AboutFrm->ProductName->text().toStdString(), GetVersionValue("ProductName"));
        AboutFrm->OKButton->click();
    });
    AboutFrm->Execute(0);
    UseLanguage("C");
}

} // namespace
