// The designs of the monitoring window, the wait dialog and the password prompt in
// the neutral skin: places, captions, lamps and fonts, and no clipped text.
#include "CaptionsFit.h"
#include "WindowFixture.h"
#include "localization/Zelklocalize.h"
#include "monitor/Mainwin.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Inputpasswordwin.h"
#include "platform/Controls.h"
#include "platform/Gettext.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace pylox::test;

namespace {

const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kSilver(192, 192, 192);

class MonitorDesign : public testing::Test {
protected:
    static void SetUpTestSuite() { ApplyNeutralSkin(); }
    template <class W> W* Find(const char* name) {
        W* w = main.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    TMainFrm main;
};

TEST_F(MonitorDesign, WindowAndControlsHaveTheirPlacesAndCaptions) {
    EXPECT_EQ(main.objectName(), "MainFrm");
    EXPECT_EQ(main.windowTitle(), "PYLOX");
    EXPECT_EQ(main.size(), QSize(497, 256));
    EXPECT_TRUE(main.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(main.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(main.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(main.Timer1->Enabled());
    EXPECT_EQ(main.Timer1->Interval(), 300);
    EXPECT_EQ(main.Image2->parentWidget(), main.Panel1);
    EXPECT_TRUE(main.Panel1->rect().contains(main.Image2->geometry()));

    struct Control {
        const char* name;
        QRect place;
        const char* caption;
    };
    const Control controls[] = {
        {"InfoPan", {144, 8, 345, 20}, ""},
        {"Panel1", {8, 8, 129, 177}, ""},
        {"Panel2", {8, 192, 129, 25}, ""},
        {"GroupBox2", {144, 32, 113, 89}, "Ingresso bilanciato 1"},
        {"GroupBox3", {272, 32, 113, 89}, "Ingresso bilanciato 2"},
        {"GroupBox4", {144, 128, 113, 89}, "Ingresso bilanciato 3"},
        {"GroupBox5", {272, 128, 113, 89}, "Ingresso bilanciato 4"},
        {"GroupBox1", {392, 32, 97, 113}, "I/O Digitali "},
        {"GroupBox6", {392, 152, 97, 65}, "Uscite "},
        {"BitBtn1", {8, 224, 105, 25}, "&Exit"},
        {"PasswordBtn", {196, 224, 105, 25}, "Password"},
        {"BitBtn2", {384, 224, 105, 25}, "&Configurazione"},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* w = Find<QWidget>(c.name);
        if (!w)
            continue;
        EXPECT_EQ(w->parentWidget(), &main);
        EXPECT_EQ(w->geometry(), c.place);
        if (auto* box = qobject_cast<QGroupBox*>(w)) {
            EXPECT_EQ(box->title(), c.caption);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(button->text(), c.caption);
        }
    }
}

TEST_F(MonitorDesign, EveryLampSitsInItsGroupWithItsLabelAndColours) {
    struct Lamp {
        const char* name;
        const char* group;
        const char* label;
        QColor on, off;
    };
    const Lamp lamps[] = {
        {"Input1Led", "GroupBox1", "Input 1", kLime, kSilver},
        {"Input2Led", "GroupBox1", "Input 2", kLime, kSilver},
        {"Input3Led", "GroupBox1", "Input 3", kLime, kSilver},
        {"Input4Led", "GroupBox1", "Input 4", kLime, kSilver},
        {"LowBatLed", "GroupBox1", "Low bat", kRed, kSilver},
        {"Allarme1Led", "GroupBox2", "Allarme", kRed, kSilver},
        {"Tamper1Led", "GroupBox2", "Tamper", kRed, kSilver},
        {"Cavo1Led", "GroupBox2", "Taglio cavo", kRed, kSilver},
        {"Allarme2Led", "GroupBox3", "Allarme", kRed, kSilver},
        {"Tamper2Led", "GroupBox3", "Tamper", kRed, kSilver},
        {"Cavo2Led", "GroupBox3", "Taglio cavo", kRed, kSilver},
        {"Allarme3Led", "GroupBox4", "Allarme", kRed, kSilver},
        {"Tamper3Led", "GroupBox4", "Tamper", kRed, kSilver},
        {"Cavo3Led", "GroupBox4", "Taglio cavo", kRed, kSilver},
        {"Allarme4Led", "GroupBox5", "Allarme", kRed, kSilver},
        {"Tamper4Led", "GroupBox5", "Tamper", kRed, kSilver},
        {"Cavo4Led", "GroupBox5", "Taglio cavo", kRed, kSilver},
        {"Output1Led", "GroupBox6", "Out 1", kRed, kSilver},
        {"Output2Led", "GroupBox6", "Out 2", kRed, kSilver},
        {"LinkLed", "Panel2", "Link", kLime, kRed},
    };
    int previousTop = -1;
    QString previousGroup;
    for (const Lamp& l : lamps) {
        SCOPED_TRACE(l.name);
        auto* led = Find<TLed>(l.name);
        if (!led)
            continue;
        EXPECT_EQ(led->parentWidget()->objectName(), l.group);
        EXPECT_EQ(led->size(), QSize(22, 14));
        EXPECT_EQ(led->TrueColor, l.on);
        EXPECT_EQ(led->FalseColor, l.off);
        EXPECT_FALSE(led->Value());
        EXPECT_TRUE(led->parentWidget()->rect().contains(led->geometry()));
        // The label beside the lamp.
        QLabel* label = nullptr;
        const int middle = led->geometry().center().y();
        for (QLabel* candidate : led->parentWidget()->findChildren<QLabel*>())
            if (candidate->x() > led->geometry().right() && candidate->y() <= middle &&
                candidate->geometry().bottom() >= middle)
                label = candidate;
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), l.label);
        EXPECT_TRUE(led->parentWidget()->rect().contains(label->geometry()));
        // Top to bottom in the order of the table.
        if (previousGroup == l.group) {
            EXPECT_GT(led->y(), previousTop);
        }
        previousGroup = l.group;
        previousTop = led->y();
    }
}

TEST_F(MonitorDesign, TheInformationLineIsATooltipColouredPanelInComicSans) {
    EXPECT_EQ(main.InfoPan->backgroundRole(), QPalette::ToolTipBase);
    EXPECT_TRUE(main.InfoPan->autoFillBackground());
    EXPECT_TRUE(main.InfoPan->alignment() & Qt::AlignLeft);
    const QString family = QFontInfo(main.InfoPan->font()).family();
    EXPECT_TRUE(family == "Comic Sans MS" || family == "Comic Neue") << family.toStdString();
}

// In every shipped language, as the gallery shows them.
using ShippedLanguage = ShippedLanguageTest;

TEST_P(ShippedLanguage, NoTextIsClipped) {
    TMainFrm main;
    TReqSuInfoFrm wait;
    TInputPasswordFrm prompt;
    const TBoardId widest{0xFFFFFFFF, 0xFFFF, 0xFF};
    for (TForm* window : std::initializer_list<TForm*>{&main, &wait, &prompt}) {
        SCOPED_TRACE(window->objectName().toStdString());
        TranslateComponent(window);
        main.InfoPan->setText(TMainFrm::InfoLine(widest, 0xFFFFFFFF));
        window->ensurePolished();
        EXPECT_EQ(ClippedCaptions(window).join('\n').toStdString(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, testing::Values("it", "en", "de"));

} // namespace
