// The wait dialog on a real connection thread, and the board password prompt.
#include "MonitorFixture.h"

#include <QLabel>
#include <QPushButton>

#include <chrono>

using namespace pylox::test;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

using WaitDialog = RealBoard;

TEST_F(WaitDialog, ClosesWithOkAtTheFirstTickAfterTheLinkCameUp) {
    auto pylox = Started();
    // Up before the dialog opens: it still shows and closes only at its first tick.
    ASSERT_TRUE(WaitFor([&] { return pylox->IsLinkUp(); }));
    bool shown = false;
    OnShown seen(&wait, [&] { shown = true; });
    const auto start = Clock::now();
    EXPECT_TRUE(wait.Execute(pylox.get()));
    EXPECT_GE(Clock::now() - start, 90ms);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(wait.isVisible());
    EXPECT_FALSE(wait.Timer->Enabled());
}

TEST_F(WaitDialog, WaitsForTheLinkWhileTheThreadWorks) {
    // Every answer late: the login and the readings take a while, the dialog waits.
    ASSERT_EQ(board->Control("delay 150 5"), "ok");
    auto pylox = Started();
    bool upWhenShown = true;
    OnShown seen(&wait, [&] { upWhenShown = pylox->IsLinkUp(); });
    EXPECT_TRUE(wait.Execute(pylox.get()));
    EXPECT_FALSE(upWhenShown);
    EXPECT_TRUE(pylox->IsLinkUp());
}

TEST_F(WaitDialog, ClosesWithCancelOnceTheThreadHasFailed) {
    ASSERT_EQ(board->Control("refuse-login on"), "ok");
    auto pylox = Started();
    EXPECT_FALSE(wait.Execute(pylox.get()));
    EXPECT_TRUE(pylox->HasFailed());
    EXPECT_FALSE(wait.isVisible());
    EXPECT_FALSE(wait.Timer->Enabled());
}

TEST_F(WaitDialog, ClosesWithCancelWithoutAConnection) {
    EXPECT_FALSE(wait.Execute(nullptr));
}

TEST(WaitDialogDesign, IsABorderlessHourglassWindowWithOneCentredBoldItalicLabel) {
    TReqSuInfoFrm form;
    EXPECT_EQ(form.objectName(), "ReqSuInfoFrm");
    EXPECT_EQ(form.size(), QSize(286, 70));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(form.findChildren<QPushButton*>().isEmpty());
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(form.Label1->text(), "Attendere prego..");
    EXPECT_EQ(form.Label1->geometry(), QRect(0, 0, 286, 70));
    EXPECT_EQ(form.Label1->alignment(), Qt::AlignCenter);
    const QFont font = form.Label1->font();
    EXPECT_EQ(font.pixelSize(), 21);
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(QStringList({"Arial", "Liberation Sans"}).contains(QFontInfo(font).family()))
        << QFontInfo(font).family().toStdString();
    EXPECT_FALSE(form.Timer->Enabled());
}

class PasswordPrompt : public testing::Test {
protected:
    // Opens the prompt, lets the user act on it, and returns what Execute gave back.
    std::string Run(const std::function<void()>& user) {
        OnShown typing(&prompt, [&] {
            emptyWhenShown = prompt.Psw->text().isEmpty();
            user();
        });
        std::string password = "not set";
        prompt.Execute(password);
        return password;
    }
    TInputPasswordFrm prompt;
    bool emptyWhenShown = false;
};

TEST_F(PasswordPrompt, ReturnsWhatWasTypedHoweverItWasClosed) {
    struct Case {
        const char* way;
        const char* typed; // Latin-1, the same bytes as Windows-1252 here
        std::function<void(TInputPasswordFrm&)> close;
        std::string expected;
    };
    const Case cases[] = {
        {"Enter at once", "", [](TInputPasswordFrm&) { PressKey(Qt::Key_Return); }, ""},
        {"Enter", "480917", [](TInputPasswordFrm&) { PressKey(Qt::Key_Return); }, "480917"},
        {"OK button", "abc", [](TInputPasswordFrm& f) { f.BitBtn1->click(); }, "abc"},
        {"closed by the window manager", "ab\xe8", [](TInputPasswordFrm& f) { f.close(); },
         "ab\xe8"},
        {"Esc, then closed", "xyz",
         [](TInputPasswordFrm& f) {
             PressKey(Qt::Key_Escape); // no cancel button: the prompt stays
             EXPECT_TRUE(f.isVisible());
             f.close();
         },
         "xyz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.way);
        EXPECT_EQ(Run([&] {
                      Type(QString::fromLatin1(c.typed));
                      c.close(prompt);
                  }),
                  c.expected);
        // Every showing starts with an empty field.
        EXPECT_TRUE(emptyWhenShown);
    }
}

TEST(PasswordPromptDesign, IsASmallDialogWithoutBorderIcons) {
    TInputPasswordFrm form;
    EXPECT_EQ(form.objectName(), "InputPasswordFrm");
    EXPECT_EQ(form.windowTitle(), "Password");
    EXPECT_EQ(form.size(), QSize(202, 97));
    EXPECT_FALSE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(form.Psw->objectName(), "Psw");
    EXPECT_EQ(form.Psw->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.BitBtn1->objectName(), "BitBtn1");
    EXPECT_TRUE(form.BitBtn1->isDefault());
    EXPECT_EQ(form.Psw->nextInFocusChain(), form.BitBtn1);
    EXPECT_TRUE(QRect(0, 0, 202, 97).contains(form.Psw->geometry()));
    EXPECT_TRUE(QRect(0, 0, 202, 97).contains(form.BitBtn1->geometry()));
}

} // namespace
