// The designs of the start, logon and About windows in the neutral skin: client
// sizes, places, pictures, and no clipped text in any shipped language.
#include "CaptionsFit.h"
#include "StartFixture.h"

#include "localization/Zelklocalize.h"
#include "platform/Controls.h"
#include "platform/Gettext.h"

#include <QMenuBar>
#include <QStatusBar>
#include <QStyleOptionToolButton>
#include <QToolButton>

using namespace pylox::test;

namespace {

// Glyph buttons: the caption under the glyph must fit inside the button's frame.
QStringList ClippedGlyphCaptions(QWidget* window) {
    QStringList clipped;
    for (QToolButton* button : window->findChildren<QToolButton*>()) {
        if (button->text().isEmpty() || button->objectName().startsWith("qt_"))
            continue;
        QStyleOptionToolButton option;
        option.initFrom(button);
        const QRect room = button->style()->subControlRect(QStyle::CC_ToolButton, &option,
                                                           QStyle::SC_ToolButton, button);
        const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        const int margin =
            2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
        if (text.width() + margin > room.width() ||
            text.height() + button->iconSize().height() + margin > room.height())
            clipped << Describe(button, text, room);
    }
    return clipped;
}

class StartDesign : public AllWindows {
protected:
    void SetUp() override {
        ApplyNeutralSkin();
        AllWindows::SetUp();
    }
};

TEST_F(StartDesign, TheStartWindowKeepsItsClientAreaBelowTheMenu) {
    const int menu = StartFrm->MainMenu1->height();
    EXPECT_GT(menu, 0);
    EXPECT_EQ(StartFrm->size(), QSize(250, 293 + menu));
    EXPECT_EQ(StartFrm->windowTitle(), "PYLOX Service");
    EXPECT_EQ(StartFrm->Image1->geometry(), QRect(0, menu, 123, 163));
    EXPECT_EQ(StartFrm->Image1->pixmap().size(), QSize(123, 163));
    EXPECT_EQ(StartFrm->CollegaBtn->size(), QSize(105, 69));
    EXPECT_EQ(StartFrm->OpzioniBtn->size(), QSize(105, 65));
    EXPECT_EQ(StartFrm->ChiudiBtn->size(), QSize(233, 65));
    EXPECT_EQ(StartFrm->StatusBar->geometry().bottom(), StartFrm->height() - 1);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             StartFrm->CollegaBtn, StartFrm->OpzioniBtn, StartFrm->ChiudiBtn})
        EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
    // No two controls of the client area overlap.
    const QList<QWidget*> controls = {StartFrm->Image1, StartFrm->CollegaBtn, StartFrm->OpzioniBtn,
                                      StartFrm->ChiudiBtn, StartFrm->StatusBar};
    for (QWidget* a : controls) {
        for (QWidget* b : controls) {
            if (a == b)
                continue;
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " " << b->objectName().toStdString();
        }
    }

    const QList<QAction*> menus = StartFrm->MainMenu1->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[1]->text(), "&Visualizza");
    EXPECT_EQ(menus[2], StartFrm->Abaut1);
    EXPECT_EQ(StartFrm->Opzioni1->statusTip(), "Opzioni del progamma");
    EXPECT_EQ(LogonFrm->size(), QSize(239, 122));
    EXPECT_EQ(AboutFrm->size(), QSize(277, 194));
}

class ShippedLanguage : public StartDesign, public testing::WithParamInterface<const char*> {};

TEST_P(ShippedLanguage, NoTextIsClipped) {
    SetCatalogueFolders({ShippedLocale()});
    UseLanguage(GetParam());
    TranslateAllForms();
    AboutFrm->FirmwareLb->setText("255.255.255.255");
    for (TForm* window : std::initializer_list<TForm*>{StartFrm, LogonFrm, AboutFrm}) {
        SCOPED_TRACE(window->objectName().toStdString());
        window->ensurePolished();
        EXPECT_EQ(ClippedCaptions(window).join('\n').toStdString(), "");
        EXPECT_EQ(ClippedGlyphCaptions(window).join('\n').toStdString(), "");
    }
    UseLanguage("C");
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, testing::Values("it", "en", "de"));

} // namespace
