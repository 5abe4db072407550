// The password change dialog: its design, its four checks in their order with their
// composed messages, and the ways to cancel it.
#include "WindowFixture.h"
#include "passwords/Getpasswordwin.h"
#include "platform/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace pylox::test;

namespace {

const QString kTooLong6 =
    "Si e' inserita una password troppo lunga\nsono ammessi max. 6 caratteri.";
const QString kTooShort3 =
    "Si e' inserita una password troppo corta\nsono ammessi min 3 caratteri.";
const QString kTooLong10 =
    "Si e' inserita una password troppo lunga\nsono ammessi max. 10 caratteri.";
const QString kWrongCurrent = "Si e' sbagliato a inserire la password";
const QString kWrongVerify = "Si e' sbagliato a inserire la password nella verifica.";

class PasswordChange : public testing::Test {
protected:
    // Runs the dialog: the user types the three fields from the first one on, moving
    // with Tab, and presses Enter.
    bool Change(std::string& password, const QString& current, const QString& fresh,
                const QString& verify, int maxLength = 6, int minLength = 3) {
        WhileShown typing(&dialog, [&] {
            TypeFields({current, fresh, verify});
            PressKey(Qt::Key_Return);
        });
        return dialog.Execute(password, maxLength, minLength);
    }

    TGetPasswordFrm dialog;
};

TEST_F(PasswordChange, TheFourChecksRunInTheirOrderAndOnlyTheFirstFailureIsShown) {
    const struct {
        const char* what;
        const char* current;
        const char* fresh;
        const char* verify;
        int maxLength, minLength;
        QString message; // empty: accepted
    } cases[] = {
        {"exactly the minimum", "480917", "abc", "abc", 6, 3, {}},
        {"exactly the maximum", "480917", "abcdef", "abcdef", 6, 3, {}},
        {"too long beats a wrong current password and verification", "wrong", "abcdefg", "x", 6, 3,
         kTooLong6},
        {"empty new password", "480917", "", "", 6, 3, kTooShort3},
        {"too short beats a wrong current password", "wrong", "ab", "zz", 6, 3, kTooShort3},
        {"wrong current password beats the verification", "480918", "abcd", "abce", 6, 3,
         kWrongCurrent},
        {"verification differs", "480917", "abcd", "abce", 6, 3, kWrongVerify},
        {"verification differs in letter case only", "480917", "abcd", "ABCD", 6, 3, kWrongVerify},
        {"the options window's bounds: too long", "480917", "abcdefghijk", "abcdefghijk", 10, 3,
         kTooLong10},
        {"the options window's bounds: exactly the maximum",
         "480917",
         "abcdefghij",
         "abcdefghij",
         10,
         3,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBoxes boxes;
        std::string password = "480917";
        const bool accepted =
            Change(password, c.current, c.fresh, c.verify, c.maxLength, c.minLength);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(accepted);
            EXPECT_EQ(password, c.fresh);
            EXPECT_TRUE(boxes.texts.isEmpty());
        } else {
            EXPECT_FALSE(accepted);
            EXPECT_EQ(password, "480917");
            EXPECT_EQ(boxes.texts, QStringList{c.message});
            EXPECT_EQ(boxes.icons, QList<QMessageBox::Icon>{QMessageBox::Critical});
        }
    }
}

TEST_F(PasswordChange, TheCurrentPasswordIsComparedExactlyWithItsLetterCase) {
    for (const char* typed : {"Abc", "ABC", "abc ", " abc", "ab"}) {
        SCOPED_TRACE(typed);
        MessageBoxes boxes;
        std::string password = "abc";
        EXPECT_FALSE(Change(password, typed, "newpw", "newpw"));
        EXPECT_EQ(boxes.texts, QStringList{kWrongCurrent});
        EXPECT_EQ(password, "abc");
    }
    std::string password = "abc";
    EXPECT_TRUE(Change(password, "abc", "Abc", "Abc"));
    EXPECT_EQ(password, "Abc");
}

TEST_F(PasswordChange, LengthsCountCharactersTypedAndThePasswordKeepsItsEightBitBytes) {
    // Windows-1252: "\x80" is the euro sign, "\xe4" a-umlaut.
    std::string password = "p\xe4ss";
    EXPECT_TRUE(Change(password, "päss", "€€€€€€", "€€€€€€"));
    EXPECT_EQ(password, "\x80\x80\x80\x80\x80\x80");

    MessageBoxes boxes;
    EXPECT_FALSE(Change(password, "€€€€€€", "äääääää", "äääääää"));
    EXPECT_EQ(boxes.texts, QStringList{kTooLong6});
    EXPECT_EQ(password, "\x80\x80\x80\x80\x80\x80");
}

TEST_F(PasswordChange, CancellingReturnsFalseWithoutAMessageHoweverItIsDone) {
    const struct {
        const char* how;
        std::function<void()> cancel;
    } ways[] = {
        {"Cancel button", [this] { dialog.CancelBtn->click(); }},
        {"Esc", [] { PressKey(Qt::Key_Escape); }},
        {"closing the window", [this] { dialog.close(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        MessageBoxes boxes;
        std::string password = "480917";
        WhileShown typing(&dialog, [&] {
            TypeFields({"480917", "abcd", "abcd"});
            way.cancel();
        });
        EXPECT_FALSE(dialog.Execute(password, 6, 3));
        EXPECT_EQ(typing.shows, 1);
        EXPECT_EQ(password, "480917");
        QApplication::processEvents();
        EXPECT_TRUE(boxes.texts.isEmpty());
    }
}

TEST_F(PasswordChange, EveryRunStartsWithEmptyFieldsAndTheFocusInTheFirst) {
    MessageBoxes boxes;
    std::string password = "480917";
    EXPECT_FALSE(Change(password, "typed", "before", "cancel"));
    QStringList fields;
    QWidget* focus = nullptr;
    WhileShown look(&dialog, [&] {
        focus = dialog.focusWidget();
        for (QLineEdit* edit : {dialog.PasswordEB, dialog.NewPasswordEB, dialog.VerificaEB})
            fields << edit->text();
        dialog.CancelBtn->click();
    });
    EXPECT_FALSE(dialog.Execute(password, 6, 3));
    EXPECT_EQ(fields, QStringList({"", "", ""}));
    EXPECT_EQ(focus, dialog.PasswordEB);
}

TEST(PasswordChangeDesign, ThreeMaskedFieldsWithTheirLabelsAndTwoButtons) {
    ApplyNeutralSkin();
    TGetPasswordFrm dialog;
    EXPECT_EQ(dialog.objectName(), "GetPasswordFrm");
    EXPECT_EQ(dialog.windowTitle(), "Cambio password");
    EXPECT_EQ(dialog.size(), QSize(244, 119));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);

    const struct {
        QLabel* label;
        const char* text;
        QLineEdit* edit;
    } rows[] = {
        {dialog.Label2, "Password attuale:", dialog.PasswordEB},
        {dialog.Label3, "Nuova Password:", dialog.NewPasswordEB},
        {dialog.Label4, "Verifica:", dialog.VerificaEB},
    };
    int previousTop = -1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.label->text(), row.text);
        EXPECT_TRUE(row.label->alignment() & Qt::AlignRight);
        EXPECT_EQ(row.label->buddy(), row.edit);
        EXPECT_EQ(row.edit->echoMode(), QLineEdit::Password);
        EXPECT_LT(row.label->geometry().right(), row.edit->x()) << "label left of its field";
        EXPECT_GT(row.edit->y(), previousTop);
        previousTop = row.edit->geometry().bottom();
        EXPECT_TRUE(dialog.rect().contains(row.edit->geometry()));
    }
    EXPECT_EQ(dialog.OKbtn->text(), "&OK");
    EXPECT_TRUE(dialog.OKbtn->isDefault());
    EXPECT_EQ(dialog.CancelBtn->text(), "&Cancel");
    for (QPushButton* button : {dialog.OKbtn, dialog.CancelBtn}) {
        EXPECT_GT(button->y(), previousTop);
        EXPECT_TRUE(dialog.rect().contains(button->geometry()));
    }

    // Tab order: the three fields, then OK, then Cancel.
    const QWidget* order[] = {dialog.PasswordEB, dialog.NewPasswordEB, dialog.VerificaEB,
                              dialog.OKbtn, dialog.CancelBtn};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(order[i]->nextInFocusChain(), order[i + 1]) << i;
}

} // namespace
