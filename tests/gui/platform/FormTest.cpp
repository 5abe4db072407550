// The form base and the application object, driven as a user would.
#include "platform/Form.h"
#include "GuiDriver.h"
#include "platform/Application.h"
#include "platform/Controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

using namespace pylox::test;

namespace {

// A form that records its hooks and has one button of each kind.
class THookFrm : public TForm {
public:
    THookFrm() {
        setObjectName("HookFrm");
        SetDesign("Hooks", 200, 80, TBorderStyle::Dialog, true, TPosition::ScreenCenter);
        OkBtn = Place(MakeButton(this, this, TButtonKind::Ok), "OkBtn", 8, 40, 60, 25);
        CancelBtn = Place(MakeButton(this, this, TButtonKind::Cancel), "CancelBtn", 72, 40, 60, 25);
        CloseBtn = Place(MakeButton(this, this, TButtonKind::Close), "CloseBtn", 136, 40, 60, 25);
    }
    void FormCreate() override { log += "create "; }
    std::function<void()> onShow;
    std::string log;
    QPushButton *OkBtn, *CancelBtn, *CloseBtn;
    using TForm::SetCancelButton;

protected:
    void FormShow() override {
        log += "show ";
        if (onShow)
            onShow();
    }
    void FormActivate() override { log += "activate "; }
    void FormClose() override { log += "close "; }
};

void PressEscape(QWidget* w) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

TEST(Form, EachWayOfClosingGivesItsModalResult) {
    struct Case {
        const char* way;
        std::function<void(THookFrm&)> close;
        int result;
    };
    const Case cases[] = {
        {"OK button", [](THookFrm& f) { f.OkBtn->click(); }, mrOk},
        {"Cancel button", [](THookFrm& f) { f.CancelBtn->click(); }, mrCancel},
        {"Close button", [](THookFrm& f) { f.CloseBtn->click(); }, mrCancel},
        {"close box", [](THookFrm& f) { f.close(); }, mrCancel},
        {"Enter on the default button",
         [](THookFrm& f) {
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(&f, &enter);
         },
         mrOk},
        {"Esc with a cancel button",
         [](THookFrm& f) {
             f.SetCancelButton(f.CancelBtn);
             PressEscape(&f);
         },
         mrCancel},
        {"a handler's result", [](THookFrm& f) { f.SetModalResult(mrClose); }, mrClose},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.way);
        THookFrm form;
        WhenVisible("HookFrm", [&](QWidget*) { c.close(form); });
        EXPECT_EQ(form.ShowModal(), c.result);
        EXPECT_EQ(form.ModalResult(), c.result);
        EXPECT_FALSE(form.isVisible());
    }
}

TEST(Form, EscWithoutACancelButtonLeavesTheFormOpen) {
    THookFrm form;
    bool stillOpen = false;
    WhenVisible("HookFrm", [&](QWidget*) {
        PressEscape(&form);
        QTimer::singleShot(100, &form, [&] {
            stillOpen = form.isVisible();
            form.OkBtn->click();
        });
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(stillOpen);
}

TEST(Form, AResultEndsTheShowingOnlyAfterTheHandlerReturns) {
    THookFrm form;
    bool visibleAfterSetting = false;
    WhenVisible("HookFrm", [&](QWidget*) {
        form.SetModalResult(mrOk);
        visibleAfterSetting = form.isVisible();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(visibleAfterSetting);

    // Taken back before the handler returns: the showing goes on.
    THookFrm second;
    bool stillOpen = false;
    WhenVisible("HookFrm", [&](QWidget*) {
        second.SetModalResult(mrOk);
        second.SetModalResult(mrNone);
        QTimer::singleShot(100, &second, [&] {
            stillOpen = second.isVisible();
            second.CancelBtn->click();
        });
    });
    EXPECT_EQ(second.ShowModal(), mrCancel);
    EXPECT_TRUE(stillOpen);
}

TEST(Form, AResultSetWhileShowingEndsTheShowing) {
    THookFrm form;
    form.onShow = [&] { form.SetModalResult(mrOk); };
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST(Form, HooksRunAtEveryShowingInOrder) {
    TApplication app;
    auto* form = app.CreateForm<THookFrm>();
    EXPECT_EQ(form->log, "create ");
    for (int run = 0; run < 2; ++run) {
        form->log.clear();
        WhenVisible("HookFrm", [&](QWidget*) {
            When([&] { return form->log.find("activate") != std::string::npos; },
                 [&] { form->OkBtn->click(); });
        });
        EXPECT_EQ(form->ShowModal(), mrOk);
        EXPECT_EQ(form->log, "show activate close ");
    }
}

TEST(Form, HasTheDesignedClientSizeAndCentresOnItsOwner) {
    class TOwnedFrm : public TForm {
    public:
        explicit TOwnedFrm(QWidget* owner) : TForm(owner) {
            setObjectName("OwnedFrm");
            SetDesign("Owned", 120, 50, TBorderStyle::None, false, TPosition::OwnerFormCenter);
        }
    };
    THookFrm owner;
    owner.move(40, 30);
    owner.show();
    TOwnedFrm form(&owner);
    QPoint centre, ownerCentre;
    WhenVisible("OwnedFrm", [&](QWidget*) {
        centre = form.frameGeometry().center();
        ownerCentre = owner.frameGeometry().center();
        form.SetModalResult(mrOk);
    });
    form.ShowModal();
    EXPECT_EQ(form.size(), QSize(120, 50));
    EXPECT_LE((centre - ownerCentre).manhattanLength(), 2);
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(owner.size(), QSize(200, 80));
    EXPECT_FALSE(owner.windowFlags() & Qt::FramelessWindowHint);
}

TEST(Application, OwnsTheFormsInCreationOrderAndTheFirstIsTheMainForm) {
    TApplication app;
    EXPECT_EQ(Application, &app);
    auto* first = app.CreateForm<THookFrm>();
    auto* second = app.CreateForm<THookFrm>();
    ASSERT_EQ(app.Forms().size(), 2u);
    EXPECT_EQ(app.Forms()[0].get(), first);
    EXPECT_EQ(app.Forms()[1].get(), second);
    EXPECT_EQ(app.MainForm(), first);
    app.SetTitle("PYLOX Service");
    EXPECT_EQ(app.Title(), "PYLOX Service");
    EXPECT_TRUE(TApplication::ExeName().endsWith("gui_platform"));
}

TEST(Application, OnlyClosingTheMainFormEndsTheRun) {
    // A main window with a single border, as the start window has.
    class TStartLikeFrm : public THookFrm {
    public:
        TStartLikeFrm() {
            SetDesign("Start", 200, 80, TBorderStyle::Single, true, TPosition::ScreenCenter);
        }
    };
    TApplication app;
    auto* main = app.CreateForm<TStartLikeFrm>();
    auto* other = app.CreateForm<THookFrm>();
    other->setObjectName("OtherFrm");
    bool mainBack = false;
    int secondRun = mrNone;
    std::string secondLog;
    WhenVisible("HookFrm", [&](QWidget*) {
        // The start window's way: hide, run another window modally, come back.
        main->hide();
        WhenVisible("OtherFrm", [&](QWidget*) { other->close(); });
        other->ShowModal();
        main->show();
        // The program goes on: a window opened now is shown until the user closes it.
        other->log.clear();
        WhenVisible("OtherFrm", [&](QWidget*) {
            QTimer::singleShot(100, other, [&] { other->OkBtn->click(); });
        });
        secondRun = other->ShowModal();
        secondLog = other->log;
        QTimer::singleShot(200, main, [&] {
            mainBack = main->isVisible();
            main->close();
        });
    });
    app.Run();
    EXPECT_EQ(secondRun, mrOk);
    EXPECT_EQ(secondLog, "show activate close ");
    EXPECT_TRUE(mainBack);
    EXPECT_FALSE(main->isVisible());
}

TEST(Application, AnErrorEscapingAHandlerGoesToTheErrorBoxAndTheProgramGoesOn) {
    TApplication app;
    app.SetTitle("PYLOX Service");
    TTimer timer;
    timer.SetInterval(10);
    int ticks = 0;
    timer.OnTimer = [&] {
        timer.SetEnabled(false);
        if (++ticks == 1)
            throw std::runtime_error("Disco pieno");
    };
    QString shown, caption;
    When([] { return VisibleMessageBox() != nullptr; },
         [&] {
             QMessageBox* box = VisibleMessageBox();
             shown = box->text();
             caption = box->windowTitle();
             box->accept();
         });
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, "Disco pieno");
    EXPECT_EQ(caption, "PYLOX Service");
    timer.SetEnabled(true);
    EXPECT_TRUE(WaitFor([&] { return ticks == 2; }));
}

} // namespace
