// The serial port dialog over fixed HKEY_LOCAL_MACHINE trees: the port lines, the
// preselected line of CommPort, the checked line taken however the dialog closes,
// and the errors of lines without a port number.
#include "WindowFixture.h"
#include "platform/Registry.h"
#include "settings/Opzioniserialewin.h"
#include "settings/Pcconfig.h"

#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

using namespace pylox::test;

namespace {

class SerialPortDialog : public testing::Test {
protected:
    SerialPortDialog() {
        SetLocalMachineProvider([this] { return machine_; });
    }
    ~SerialPortDialog() override { SetLocalMachineProvider({}); }

    // A port of the device map; with a friendly name, also its device key.
    void Port(const QString& device, const QString& port, const QString& friendlyName = {}) {
        machine_->Create({"HARDWARE", "DEVICEMAP", "SERIALCOMM"})
            .SetValue(device, TRegValue::String(port));
        if (friendlyName.isNull())
            return;
        TRegKey& key = machine_->Create({"System", "CurrentControlSet", "Enum", "ACPI", "PNP0501"})
                           .AddSubKey(device.right(1));
        key.SetValue("FriendlyName", TRegValue::String(friendlyName));
        key.AddSubKey("Device Parameters").SetValue("PortName", TRegValue::String(port));
    }

    // Opens the dialog; act runs while it shows, with the lines and the checked line
    // as it opened.
    void Run(const std::function<void()>& act) {
        shownItems.clear();
        shownIndex = -2;
        WhileShown user(&dialog, [&] {
            shownItems = dialog.CommRG->Items();
            shownIndex = dialog.CommRG->ItemIndex();
            act();
        });
        EXPECT_TRUE(dialog.Execute(config));
        EXPECT_EQ(user.shows, 1);
    }

    std::shared_ptr<TRegKey> machine_ = std::make_shared<TRegKey>();
    TOpzioniSerialeFrm dialog;
    TPcConfig config;
    QStringList shownItems;
    int shownIndex = -2;
};

TEST_F(SerialPortDialog, TheLineOfCommPortIsCheckedAndTheChosenLineTakenHoweverItCloses) {
    Port("\\Device\\Serial0", "COM1", "Communications Port (COM1)");
    Port("\\Device\\Serial2", "COM3", "Communications Port (COM3)");
    const struct {
        const char* how;
        std::function<void(TOpzioniSerialeFrm&)> close;
    } ways[] = {
        {"OK button", [](TOpzioniSerialeFrm& d) { d.BitBtn1->click(); }},
        {"Enter", [](TOpzioniSerialeFrm&) { PressKey(Qt::Key_Return); }},
        {"the window's close button", [](TOpzioniSerialeFrm& d) { d.close(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        config.CommPort = 3;
        Run([&] {
            Click(dialog.CommRG, 0);
            way.close(dialog);
        });
        EXPECT_EQ(shownItems, QStringList({"COM1 = Communications Port (COM1)",
                                           "COM3 = Communications Port (COM3)"}));
        EXPECT_EQ(shownIndex, 1);
        EXPECT_EQ(config.CommPort, 1);
    }
}

TEST_F(SerialPortDialog, WithoutALineForCommPortNothingIsCheckedAndCommPortStays) {
    Port("\\Device\\Serial0", "COM1", "Communications Port (COM1)");
    Port("\\Device\\Serial2", "COM3", "Communications Port (COM3)");
    config.CommPort = 5;
    Run([&] { dialog.BitBtn1->click(); });
    EXPECT_EQ(shownIndex, -1);
    EXPECT_EQ(config.CommPort, 5);
    Run([&] { dialog.close(); });
    EXPECT_EQ(config.CommPort, 5);
}

TEST_F(SerialPortDialog, AnEmptyOrMissingDeviceMapShowsNoLinesAndKeepsCommPort) {
    config.CommPort = 4;
    Run([&] { dialog.BitBtn1->click(); });
    EXPECT_TRUE(shownItems.isEmpty()) << "no device map";
    EXPECT_EQ(config.CommPort, 4);
    machine_->Create({"HARDWARE", "DEVICEMAP", "SERIALCOMM"});
    Run([&] { dialog.BitBtn1->click(); });
    EXPECT_TRUE(shownItems.isEmpty()) << "an empty device map";
    EXPECT_EQ(shownIndex, -1);
    EXPECT_EQ(config.CommPort, 4);
}

TEST_F(SerialPortDialog, APortWithoutFriendlyNameCanBeChosen) {
    Port("\\Device\\Serial0", "COM1", "Communications Port (COM1)");
    Port("/dev/pts/4", "COM7");
    config.CommPort = 1;
    Run([&] {
        Click(dialog.CommRG, 1);
        dialog.BitBtn1->click();
    });
    EXPECT_EQ(shownItems, QStringList({"COM1 = Communications Port (COM1)", "COM7 = "}));
    EXPECT_EQ(config.CommPort, 7);
}

TEST_F(SerialPortDialog, ThePortsAreListedAnewAtEveryOpening) {
    Port("\\Device\\Serial0", "COM1", "Communications Port (COM1)");
    config.CommPort = 1;
    Run([&] { dialog.BitBtn1->click(); });
    EXPECT_EQ(shownItems, QStringList({"COM1 = Communications Port (COM1)"}));

    machine_ = std::make_shared<TRegKey>();
    Port("\\Device\\VCP0", "COM12", "USB Serial Port (COM12)");
    Run([&] { dialog.BitBtn1->click(); });
    EXPECT_EQ(shownItems, QStringList({"COM12 = USB Serial Port (COM12)"}));
    EXPECT_EQ(shownIndex, -1);
    EXPECT_EQ(config.CommPort, 1);
}

TEST_F(SerialPortDialog, ACheckedLineWithoutComSetsCommPortToMinusOne) {
    Port("/dev/ttyX", "ttyX");
    config.CommPort = 2;
    Run([&] {
        Click(dialog.CommRG, 0);
        dialog.BitBtn1->click();
    });
    EXPECT_EQ(shownItems, QStringList({"ttyX = "}));
    EXPECT_EQ(config.CommPort, -1);
}

TEST_F(SerialPortDialog, ALineWithoutPortNumberRaisesAnErrorAndLeavesCommPort) {
    // Met while preselecting: the dialog does not show.
    Port("\\Device\\Serial0", "COM");
    config.CommPort = 3;
    {
        bool shown = false;
        WhileShown watch(&dialog, [&] {
            shown = true;
            dialog.close();
        });
        EXPECT_THROW(dialog.Execute(config), std::invalid_argument);
        QApplication::processEvents();
        EXPECT_FALSE(shown);
        EXPECT_EQ(config.CommPort, 3);
    }

    // Checked by the user: the error comes when the dialog has closed.
    machine_ = std::make_shared<TRegKey>();
    Port("\\Device\\Serial0", "COM1");
    Port("\\Device\\Serial1", "COMx");
    config.CommPort = 1;
    WhileShown user(&dialog, [&] {
        Click(dialog.CommRG, 1);
        dialog.BitBtn1->click();
    });
    EXPECT_THROW(dialog.Execute(config), std::invalid_argument);
    EXPECT_EQ(user.shows, 1);
    EXPECT_EQ(config.CommPort, 1);
}

TEST(SerialPortDialogDesign, OneColumnOfPortsAndAnOkButton) {
    ApplyNeutralSkin();
    TOpzioniSerialeFrm dialog;
    EXPECT_EQ(dialog.objectName(), "OpzioniSerialeFrm");
    EXPECT_EQ(dialog.windowTitle(), "Opzioni");
    EXPECT_EQ(dialog.size(), QSize(307, 224));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(dialog.CommRG->title(), "Comm");
    EXPECT_EQ(dialog.CommRG->Columns(), 1);
    EXPECT_TRUE(dialog.CommRG->Items().isEmpty());
    EXPECT_TRUE(dialog.BitBtn1->isDefault());
    EXPECT_EQ(dialog.BitBtn1->text(), "OK");
    EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1) << "no cancel button";
    EXPECT_TRUE(dialog.rect().contains(dialog.CommRG->geometry()));
    EXPECT_TRUE(dialog.rect().contains(dialog.BitBtn1->geometry()));
    EXPECT_GT(dialog.BitBtn1->y(), dialog.CommRG->geometry().bottom());
}

} // namespace
