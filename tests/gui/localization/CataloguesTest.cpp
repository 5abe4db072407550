// The shipped catalogues, as the build compiled them: every text of every window
// and every language name has an English and a German translation, and every
// window renders in Italian, English and German.
#include "WindowFixture.h"
#include "localization/Zelklocalize.h"
#include "platform/Application.h"
#include "platform/Gettext.h"
#include "platform/MoFile.h"
#include "startup/AllForms.h"

#include <QImage>
#include <gtest/gtest.h>

#include <optional>

namespace {

using pylox::test::ResetWindowGlobals;
using pylox::test::ShippedLocale;

std::optional<TMoFile> Shipped(const char* code, const char* domain) {
    return TMoFile::Load(ShippedLocale() + "/" + code + "/LC_MESSAGES/" + domain + ".mo");
}

class ShippedCatalogues : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { SetCatalogueFolders({ShippedLocale()}); }
    void TearDown() override { UseLanguage("C"); }
};

} // namespace

TEST(ShippedCatalogues, ItalianEnglishAndGermanAreInstalled) {
    SetCatalogueFolders({ShippedLocale()});
    const QStringList languages = GetListOfLanguages("default");
    for (const char* code : {"de", "en", "it"}) {
        EXPECT_TRUE(languages.contains(code)) << code;
        for (const char* domain : {"default", "quil"}) {
            const std::optional<TMoFile> file = Shipped(code, domain);
            ASSERT_TRUE(file) << code << " " << domain;
            EXPECT_TRUE(file->IsUtf8()) << code << " " << domain;
        }
    }
}

TEST_P(ShippedCatalogues, TranslateEveryWindowTextAndLanguageName) {
    const std::optional<TMoFile> program = Shipped(GetParam(), "default");
    const std::optional<TMoFile> qt = Shipped(GetParam(), "quil");
    ASSERT_TRUE(program && qt);

    for (const TLanguageName& row : LanguageNames)
        EXPECT_TRUE(program->Find(row.name)) << GetParam() << ": " << row.name;

    UseLanguage(GetParam());
    TApplication application;
    CreateAllForms(application);
    TranslateAllForms();
    for (const auto& form : application.Forms()) {
        const QStringList texts = RecordedTexts(form.get());
        EXPECT_FALSE(texts.isEmpty()) << form->objectName().toStdString();
        for (const QString& text : texts)
            EXPECT_TRUE(program->Find(text.toUtf8()) || qt->Find(text.toUtf8()))
                << GetParam() << ": " << form->objectName().toStdString() << ": \""
                << text.toStdString() << "\"";
    }
    ResetWindowGlobals(); // the windows end with this test
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedCatalogues, testing::Values("en", "de"));

TEST(WindowGallery, EveryWindowRendersInEachLanguage) {
    SetCatalogueFolders({ShippedLocale()});
    for (const char* code : {"it", "en", "de"}) {
        UseLanguage(code);
        TApplication application;
        CreateAllForms(application);
        TranslateAllForms();
        for (const auto& form : application.Forms()) {
            const QImage image = form->grab().toImage();
            EXPECT_FALSE(image.isNull()) << code << ": " << form->objectName().toStdString();
            EXPECT_GT(image.width(), 0);
        }
    }
    ResetWindowGlobals();
    UseLanguage("C");
}
