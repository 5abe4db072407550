// The window gallery renders the windows, translated, to pictures.
#include "TestEnvironment.h"

#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using pylox::test::BinDir;
using pylox::test::TempDir;

QImage Render(const std::filesystem::path& out, const QString& language, const QString& window) {
    QProcess gallery;
    gallery.start(QString::fromStdString((BinDir() / "window-gallery").string()),
                  {"--lang", language, "--out", QString::fromStdString(out.string())});
    EXPECT_TRUE(gallery.waitForFinished(60000));
    EXPECT_EQ(gallery.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();
    return QImage(QString::fromStdString((out / (window.toStdString() + ".png")).string()));
}

TEST(WindowGallery, RendersEveryWindowAtItsClientSizeInTheLanguageAsked) {
    TempDir dir;
    const QImage main = Render(dir.path() / "it", "it", "MainFrm");
    ASSERT_FALSE(main.isNull());
    EXPECT_EQ(main.size(), QSize(497, 256));
    // Its sample board lights "Input 1" (lime) and leaves "Input 2" off (silver).
    EXPECT_EQ(main.pixelColor(392 + 8 + 11, 32 + 22 + 7), QColor(0, 255, 0));
    EXPECT_EQ(main.pixelColor(392 + 8 + 11, 32 + 40 + 7), QColor(192, 192, 192));
    for (const char* window : {"ReqSuInfoFrm", "InputPasswordFrm", "ConfigFrm", "HintLevelsFrm",
                               "GetPasswordFrm", "ErrorBox"})
        EXPECT_TRUE(std::filesystem::exists(dir.path() / "it" / (std::string(window) + ".png")))
            << window;
    EXPECT_EQ(QImage(QString::fromStdString((dir.path() / "it" / "InputPasswordFrm.png").string()))
                  .size(),
              QSize(202, 97));

    // "Attendere prego.." has an English translation: the wait dialog looks different.
    const QImage italian(QString::fromStdString((dir.path() / "it" / "ReqSuInfoFrm.png").string()));
    const QImage english = Render(dir.path() / "en", "en", "ReqSuInfoFrm");
    EXPECT_EQ(italian.size(), QSize(286, 70));
    EXPECT_EQ(english.size(), QSize(286, 70));
    EXPECT_NE(italian, english);
}

} // namespace
