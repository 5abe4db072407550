// The platform's controls, dialogs, hints and skin, driven as a user would.
#include "platform/Controls.h"
#include "GuiDriver.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "settings/Ut.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <gtest/gtest.h>

#include <vector>

using namespace pylox::test;

namespace {

std::vector<QRadioButton*> Buttons(TRadioGroup& group) {
    std::vector<QRadioButton*> buttons;
    for (QRadioButton* b : group.findChildren<QRadioButton*>())
        buttons.push_back(b);
    return buttons;
}

class RadioGroupTest : public testing::Test {
protected:
    void SetUp() override {
        group.resize(200, 100);
        group.setProperty("items", QStringList{"Normale", "Pioggia", "Vento"});
        group.OnClick = [this] { clicks.push_back(group.ItemIndex()); };
        group.show();
    }
    TRadioGroup group;
    std::vector<int> clicks;
};

TEST_F(RadioGroupTest, ClicksOnEveryChangeOfTheSelectionByUserOrCode) {
    EXPECT_EQ(group.ItemIndex(), -1);
    ASSERT_EQ(Buttons(group).size(), 3u);
    Buttons(group)[1]->click(); // user
    group.SetItemIndex(2);      // code
    group.SetItemIndex(2);      // no change: no click
    Buttons(group)[2]->click(); // clicking the selected item: no change
    group.SetItemIndex(-1);
    EXPECT_EQ(clicks, (std::vector<int>{1, 2, -1}));
    EXPECT_FALSE(Buttons(group)[2]->isChecked());

    group.SetItemIndex(0);
    int checked = 0;
    for (QRadioButton* b : Buttons(group))
        checked += b->isChecked();
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(Buttons(group)[0]->isChecked());
    EXPECT_EQ(group.ItemIndex(), 0);
}

TEST_F(RadioGroupTest, RenamingItemsKeepsTheSelectionWithoutAClick) {
    group.SetItemIndex(1);
    clicks.clear();
    group.RenameItems({"Normal", "Rain", "Wind"});
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_TRUE(Buttons(group)[1]->isChecked());
    EXPECT_EQ(Buttons(group)[1]->text(), "Rain");
    EXPECT_EQ(group.property("items").toStringList(), (QStringList{"Normal", "Rain", "Wind"}));
    EXPECT_TRUE(clicks.empty());
}

TEST_F(RadioGroupTest, FillsColumnsTopToBottom) {
    group.SetItems({"1", "2", "3", "4"});
    group.SetColumns(2);
    const auto b = Buttons(group);
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0]->x(), b[1]->x());
    EXPECT_LT(b[0]->y(), b[1]->y());
    EXPECT_EQ(b[0]->y(), b[2]->y());
    EXPECT_LT(b[0]->x(), b[2]->x());
    for (QRadioButton* button : b)
        EXPECT_TRUE(group.rect().contains(button->geometry())) << button->text().toStdString();
}

TEST(SpinEdit, KeepsItsValueWithinTheBounds) {
    TSpinEdit spin;
    spin.SetBounds(1, 8);
    for (auto [typed, kept] : {std::pair{0, 1}, {1, 1}, {5, 5}, {8, 8}, {9, 8}}) {
        spin.SetValue(typed);
        EXPECT_EQ(spin.Value(), kept) << typed;
    }
}

TEST(Led, StartsUnlitAndRepaintsOnlyWhenItsValueChanges) {
    QWidget parent;
    auto* led = new TLed(&parent);
    led->TrueColor = QColor(255, 0, 0);
    parent.show();
    EXPECT_EQ(led->size(), QSize(22, 14));
    EXPECT_FALSE(led->Value());
    const auto centre = [&] { return led->grab().toImage().pixelColor(11, 7); };
    EXPECT_EQ(centre(), QColor(192, 192, 192));

    led->SetValue(false);
    EXPECT_EQ(led->RepaintRequests(), 0);
    led->SetValue(true);
    led->SetValue(true);
    EXPECT_EQ(led->RepaintRequests(), 1);
    EXPECT_EQ(centre(), QColor(255, 0, 0));
    led->SetValue(false);
    EXPECT_EQ(led->RepaintRequests(), 2);
    EXPECT_EQ(centre(), QColor(192, 192, 192));
}

TEST(Timer, RunsItsHandlerOnlyWhileEnabled) {
    TTimer timer;
    timer.SetInterval(20);
    EXPECT_FALSE(timer.Enabled());
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 3)
            timer.SetEnabled(false);
    };
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    ASSERT_TRUE(WaitFor([&] { return ticks == 3; }));
    EXPECT_FALSE(timer.Enabled());
    WaitFor([] { return false; }, std::chrono::milliseconds(150));
    EXPECT_EQ(ticks, 3);
}

TEST(Hints, TheLongPartOfTheHintUnderTheMouseGoesToTheStatusBar) {
    TApplication app;
    class TBarFrm : public TForm {
    public:
        TBarFrm() {
            SetDesign("Bar", 200, 100, TBorderStyle::Single, true, TPosition::ScreenCenter);
        }
    };
    auto* form = app.CreateForm<TBarFrm>();
    auto* button = Place(new QPushButton("&Collega", form), "CollegaBtn", 8, 8, 100, 25);
    auto* plain = Place(new QLabel("x", form), "Label1", 8, 40, 100, 20);
    auto* bar = Place(new QStatusBar(form), "StatusBar", 0, 80, 200, 20);
    SetHint(button, "Collega|Effettua il collegamento con la scheda");
    ShowHintsIn(bar);
    form->show();
    EXPECT_EQ(button->toolTip(), "Collega");
    EXPECT_EQ(button->statusTip(), "Effettua il collegamento con la scheda");

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(app.Hint(), "Effettua il collegamento con la scheda");
    EXPECT_EQ(bar->currentMessage(), "Effettua il collegamento con la scheda");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    QApplication::sendEvent(plain, &enter);
    EXPECT_EQ(bar->currentMessage(), "");

    SetHint(plain, "Solo testo");
    EXPECT_EQ(plain->toolTip(), "Solo testo");
    EXPECT_EQ(plain->statusTip(), "Solo testo");
}

TEST(Dialogs, MessageDlgShowsTheTypeWithOneOkButtonAndBreaksLinesAtCarriageReturns) {
    struct Case {
        TMsgDlgType type;
        QMessageBox::Icon icon;
        const char* caption;
    };
    for (const Case& c :
         {Case{TMsgDlgType::Error, QMessageBox::Critical, "Error"},
          Case{TMsgDlgType::Warning, QMessageBox::Warning, "Warning"},
          Case{TMsgDlgType::Information, QMessageBox::Information, "Information"}}) {
        SCOPED_TRACE(c.caption);
        QString text, caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        qsizetype buttons = 0;
        When([] { return VisibleMessageBox() != nullptr; },
             [&] {
                 QMessageBox* box = VisibleMessageBox();
                 text = box->text();
                 caption = box->windowTitle();
                 icon = box->icon();
                 buttons = box->buttons().size();
                 box->buttons().front()->click();
             });
        MessageDlg("Riga uno\rRiga due", c.type);
        EXPECT_EQ(text, "Riga uno\nRiga due");
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(buttons, 1);
    }
}

TEST(Dialogs, ShowErrorBoxWithAnEmptyTextStillShowsTheBox) {
    bool shown = false;
    QString text = "x";
    When([] { return VisibleMessageBox() != nullptr; },
         [&] {
             QMessageBox* box = VisibleMessageBox();
             shown = box->icon() == QMessageBox::Critical && box->buttons().size() == 1;
             text = box->text();
             box->buttons().front()->click();
         });
    ShowErrorBox("");
    EXPECT_TRUE(shown);
    EXPECT_EQ(text, "");
}

TEST(Dialogs, InputBoxGivesTheTypedLineOrTheDefaultWhenCancelled) {
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok);
        WhenVisible("InputBox", [&](QWidget* w) {
            auto* dialog = static_cast<QInputDialog*>(w);
            auto* edit = dialog->findChild<QLineEdit*>();
            edit->selectAll();
            edit->insert("0612345678");
            ok ? dialog->accept() : dialog->reject();
        });
        EXPECT_EQ(InputBox("Numero telefonico", "Numero:", "0"), ok ? "0612345678" : "0");
    }
}

TEST(Skin, IsFusionWithTheDesignFont) {
    ApplyNeutralSkin();
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
    EXPECT_EQ(QApplication::font().pixelSize(), 11);
    EXPECT_EQ(QFontInfo(QApplication::font()).family(), "Liberation Sans");
}

} // namespace
