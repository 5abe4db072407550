// Choosing the language and its catalogues, the language table and list, and the
// stored language choice.
#include "Catalogues.h"
#include "TestEnvironment.h"
#include "localization/Zelklocalize.h"
#include "platform/Ansi.h"
#include "platform/Gettext.h"
#include "platform/Registry.h"
#include "settings/Opzioni.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

using pylox::test::MakeCatalogue;
using pylox::test::TempDir;

namespace {

const char* const kLocaleVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

// Catalogues in a folder of the test's own, and a clean locale environment.
class Translation : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kLocaleVariables) {
            if (const char* value = std::getenv(name))
                saved_[name] = value;
            unsetenv(name);
        }
        SetCatalogueFolders({QString::fromStdString(locale_.path().string())});
    }
    void TearDown() override {
        for (const char* name : kLocaleVariables) {
            if (saved_.contains(name))
                setenv(name, saved_[name].c_str(), 1);
            else
                unsetenv(name);
        }
        UseLanguage(QStringLiteral("C"));
    }
    const std::filesystem::path& Locale() const { return locale_.path(); }

    TempDir locale_;
    std::map<std::string, std::string> saved_;
};

} // namespace

TEST_F(Translation, FullCodeFirstThenItsFirstTwoLetters) {
    MakeCatalogue(Locale(), "de", "default", {{"Opzioni", "Optionen"}, {"Chiudi", "Schliessen"}});
    MakeCatalogue(Locale(), "de_AT", "default", {{"Opzioni", "Einstellungen"}});

    UseLanguage(QStringLiteral("de_AT"));
    EXPECT_EQ(GetCurrentLanguage(), QStringLiteral("de_AT"));
    EXPECT_EQ(_("Opzioni"), QStringLiteral("Einstellungen"));
    // The full code's catalogue is the only one used, even for what it lacks.
    EXPECT_EQ(_("Chiudi"), QStringLiteral("Chiudi"));

    UseLanguage(QStringLiteral("de_CH"));
    EXPECT_EQ(_("Opzioni"), QStringLiteral("Optionen"));

    UseLanguage(QStringLiteral("fr_FR"));
    EXPECT_EQ(_("Opzioni"), QStringLiteral("Opzioni"));
    EXPECT_EQ(_(""), QString());
}

TEST_F(Translation, EmptyCodeTakesTheLanguageOfTheEnvironment) {
    MakeCatalogue(Locale(), "it", "default", {{"Opzioni", "Opzioni (it)"}});
    MakeCatalogue(Locale(), "en", "default", {{"Opzioni", "Options"}});
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* language;
        const char* options;
    };
    const Case cases[] = {
        {nullptr, nullptr, "it_IT", "it_IT", "Opzioni (it)"},
        {nullptr, nullptr, "it_IT.UTF-8", "it_IT", "Opzioni (it)"},
        {nullptr, "en_GB.utf8", "it_IT.UTF-8", "en_GB", "Options"},
        {"en_US.UTF-8", "it_IT", "it_IT", "en_US", "Options"},
        {"", "", "en.ISO-8859-1", "en", "Options"},
        {nullptr, nullptr, nullptr, "C", "Opzioni"},
        {nullptr, nullptr, "C.UTF-8", "C", "Opzioni"},
    };
    for (const Case& c : cases) {
        const std::pair<const char*, const char*> values[] = {
            {"LC_ALL", c.lcAll}, {"LC_MESSAGES", c.lcMessages}, {"LANG", c.lang}};
        for (const auto& [name, value] : values) {
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
        UseLanguage({});
        EXPECT_EQ(GetCurrentLanguage().toStdString(), c.language) << c.lang;
        EXPECT_EQ(_("Opzioni").toStdString(), c.options) << c.lang;
    }
}

TEST_F(Translation, ExplicitCodeIsCutAtTheDotToo) {
    MakeCatalogue(Locale(), "en", "default", {{"Opzioni", "Options"}});
    UseLanguage(QStringLiteral("en.UTF-8"));
    EXPECT_EQ(GetCurrentLanguage(), QStringLiteral("en"));
    EXPECT_EQ(_("Opzioni"), QStringLiteral("Options"));
}

TEST_F(Translation, DomainsAreSeparate) {
    MakeCatalogue(Locale(), "de", "default", {{"Opzioni", "Optionen"}});
    MakeCatalogue(Locale(), "de", "quil", {{"Cancel", "Abbrechen"}});
    UseLanguage(QStringLiteral("de"));
    EXPECT_EQ(DGettext(QStringLiteral("quil"), QStringLiteral("Cancel")),
              QStringLiteral("Abbrechen"));
    EXPECT_EQ(_("Cancel"), QStringLiteral("Cancel"));
    EXPECT_EQ(DGettext({}, QStringLiteral("Opzioni")), QStringLiteral("Optionen"));
    EXPECT_EQ(DGettext(QStringLiteral("quil"), QStringLiteral("Opzioni")),
              QStringLiteral("Opzioni"));
}

TEST_F(Translation, CatalogueWithoutUtf8IsTurnedOff) {
    pylox::test::CatalogueOptions latin1;
    latin1.contentType = "text/plain; charset=ISO-8859-1";
    MakeCatalogue(Locale(), "de", "default", {{"Opzioni", "Optionen"}}, latin1);
    MakeCatalogue(Locale(), "de", "quil", {{"Cancel", "Abbrechen"}});
    UseLanguage(QStringLiteral("de"));
    EXPECT_EQ(_("Opzioni"), QStringLiteral("Opzioni"));
    EXPECT_EQ(DGettext(QStringLiteral("quil"), QStringLiteral("Cancel")),
              QStringLiteral("Abbrechen"));
}

TEST_F(Translation, DamagedCatalogueLeavesTextsUntranslated) {
    const auto path = MakeCatalogue(Locale(), "de", "default", {{"Opzioni", "Optionen"}});
    std::filesystem::resize_file(path, 40);
    UseLanguage(QStringLiteral("de"));
    EXPECT_EQ(_("Opzioni"), QStringLiteral("Opzioni"));
}

TEST_F(Translation, ListOfLanguagesNamesFoldersWithTheDomainsCatalogue) {
    MakeCatalogue(Locale(), "it", "default", {});
    MakeCatalogue(Locale(), "en", "default", {});
    MakeCatalogue(Locale(), "de_AT", "default", {});
    MakeCatalogue(Locale(), "fr", "quil", {});
    std::filesystem::create_directories(Locale() / "es" / "LC_MESSAGES");
    const TempDir second;
    MakeCatalogue(second.path(), "EN", "default", {});
    MakeCatalogue(second.path(), "nl", "default", {});
    SetCatalogueFolders({QString::fromStdString(Locale().string()),
                         QString::fromStdString(second.path().string())});

    EXPECT_EQ(GetListOfLanguages(QStringLiteral("default")),
              QStringList({"de_at", "en", "it", "nl"}));
    EXPECT_EQ(GetListOfLanguages(QStringLiteral("quil")), QStringList({"fr"}));
}

TEST(LanguageNames, FindLanguageComparesExactly) {
    const std::pair<const char*, int> cases[] = {
        {"de_AT", 32}, {"de_at", -1}, {"kw", 94}, {"kv", 95}, {"en", 38}, {"it", 78},
        {"aa", 0},     {"zu", 192},   {"", -1},   {"EN", -1}, {"en_", -1}};
    for (const auto& [code, row] : cases)
        EXPECT_EQ(FindLanguage(code), row) << code;
}

TEST(LanguageNames, TableRows) {
    EXPECT_STREQ(LanguageNames[32].name, "Austrian German");
    EXPECT_STREQ(LanguageNames[53].code, "fr_BE");
    EXPECT_STREQ(LanguageNames[53].name, "Walloon");
    EXPECT_STREQ(LanguageNames[191].code, "zh");
    int regional = 0;
    for (int row = 0; row < LanguageNameCount; ++row) {
        const std::string code = LanguageNames[std::size_t(row)].code;
        EXPECT_EQ(FindLanguage(code), row) << "codes are unique: " << code;
        if (code.size() != 2) {
            ++regional;
            std::size_t base = std::size_t(row) - 1;
            while (std::string(LanguageNames[base].code).size() != 2)
                --base;
            EXPECT_EQ(code.substr(0, 2), LanguageNames[base].code)
                << "a regional row follows its base language: " << code;
        }
    }
    EXPECT_EQ(regional, 9);
}

TEST(LanguageList, CodeOfItemAndIndexOfLanguage) {
    TLanguageList list;
    list.Strings = {"Deutsch", "English", "broken", "beyond", "xx"};
    list.Objects = {31, 38, 193, -1, TLanguageList::NoRow};
    EXPECT_EQ(LanguageCodeOfItem(list, 0), "de");
    EXPECT_EQ(LanguageCodeOfItem(list, 1), "en");
    EXPECT_EQ(LanguageCodeOfItem(list, 2), "");
    EXPECT_EQ(LanguageCodeOfItem(list, 3), "");
    EXPECT_EQ(LanguageCodeOfItem(list, 5), "");
    EXPECT_EQ(LanguageCodeOfItem(list, -1), "");
    EXPECT_EQ(IndexOfLanguage(list, "en"), 1);
    EXPECT_EQ(IndexOfLanguage(list, "de"), 0);
    EXPECT_EQ(IndexOfLanguage(list, "aa"), -1);
    EXPECT_EQ(IndexOfLanguage(list, "en_GB"), -1);
    EXPECT_EQ(IndexOfLanguage(list, ""), -1);
}

TEST_F(Translation, LanguageListForCataloguesEnAndItOnly) {
    MakeCatalogue(Locale(), "en", "default", {{"English", "English"}, {"Italian", "Italian"}});
    MakeCatalogue(Locale(), "it", "default", {});

    UseLanguage(QStringLiteral("it"));
    TLanguageList list;
    list.Strings = {"stale"};
    list.Objects = {5};
    FillLanguageList(list);
    EXPECT_EQ(list.Strings, QStringList({"English", "Italian"}));
    EXPECT_EQ(list.Objects, QList<int>({38, 78}));
    EXPECT_EQ(LanguageCodeOfItem(list, 1), "it");
    EXPECT_EQ(IndexOfLanguage(list, "en"), 0);

    MakeCatalogue(Locale(), "en", "default", {{"English", "Inglese?"}, {"Italian", "Italiano?"}});
    UseLanguage(QStringLiteral("en"));
    FillLanguageList(list);
    EXPECT_EQ(list.Strings, QStringList({"Inglese?", "Italiano?"}));
}

TEST_F(Translation, LanguageListStopsAtAFolderThatIsNoTableCode) {
    for (const char* code : {"de", "de_AT", "en", "xx"})
        MakeCatalogue(Locale(), code, "default", {});
    UseLanguage(QStringLiteral("C"));
    TLanguageList list;
    FillLanguageList(list);
    EXPECT_EQ(list.Strings, QStringList({"German", "de_at", "en", "xx"}));
    EXPECT_EQ(list.Objects, QList<int>({31, -1, -1, -1}));
    EXPECT_EQ(LanguageCodeOfItem(list, 2), "");
    EXPECT_EQ(IndexOfLanguage(list, "en"), -1);
}

namespace {

std::optional<TRegValue> StoredLanguageValue() {
    TRegistry registry(KEY_READ);
    if (!registry.OpenKeyReadOnly("\\SOFTWARE\\Orvex\\Config\\Pylox V2"))
        return std::nullopt;
    if (!registry.ValueExists("Language"))
        return TRegValue{};
    TRegValue value;
    try {
        value = TRegValue::String(FromAnsi(registry.ReadString("Language")));
    } catch (const ERegistryException&) {
        value.Type = REG_DWORD;
    }
    return value;
}

} // namespace

TEST(StoredLanguage, FirstReadCreatesTheKeyButNoValue) {
    const pylox::test::ScopedConfigHome home;
    EXPECT_FALSE(StoredLanguageValue());
    EXPECT_EQ(ReadLanguage(), "");
    const std::optional<TRegValue> value = StoredLanguageValue();
    ASSERT_TRUE(value) << "the key exists after the first read";
    EXPECT_EQ(value->Type, REG_NONE) << "no value was written";
}

TEST(StoredLanguage, WrittenCodeReadsBack) {
    const pylox::test::ScopedConfigHome home;
    for (const std::string code : {"en", "de_AT", ""}) {
        WriteLanguage(code);
        EXPECT_EQ(ReadLanguage(), code);
    }
}

TEST(StoredLanguage, ValueOfAnotherTypeIsReplacedByAnEmptyText) {
    const pylox::test::ScopedConfigHome home;
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("\\SOFTWARE\\Orvex\\Config\\Pylox V2", true));
        registry.WriteInteger("Language", 7);
    }
    ASSERT_EQ(StoredLanguageValue()->Type, REG_DWORD);
    EXPECT_EQ(ReadLanguage(), "");
    const std::optional<TRegValue> value = StoredLanguageValue();
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Type, REG_SZ);
    EXPECT_EQ(ReadLanguage(), "");
}

TEST_F(Translation, StoredLanguageIsAppliedWithTheDomainOfQtsTexts) {
    const pylox::test::ScopedConfigHome home;
    MakeCatalogue(Locale(), "en", "default", {{"Opzioni", "Options"}});
    WriteLanguage("en_GB");
    ApplyStoredLanguage();
    EXPECT_EQ(GetCurrentLanguage(), QStringLiteral("en_GB"));
    EXPECT_EQ(_("Opzioni"), QStringLiteral("Options"));
    ApplyStoredLanguage();
    EXPECT_EQ(ResourceStringDomains(), QStringList({"default", "quil"}));

    WriteLanguage("");
    setenv("LANG", "it_IT.UTF-8", 1);
    ApplyStoredLanguage();
    EXPECT_EQ(GetCurrentLanguage(), QStringLiteral("it_IT"));
    EXPECT_EQ(ReadLanguage(), "") << "the environment's language is not stored";
}
