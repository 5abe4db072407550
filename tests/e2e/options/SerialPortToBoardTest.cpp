// The board emulator's pseudo-terminal, made COM7 by a dosdevices link, is listed by
// the serial port dialog opened from the options window; once chosen and saved, a
// serial connection on the stored port number reaches the emulator through the real
// link library.
#include "BoardProcess.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"
#include "WindowFixture.h"
#include "link/Orvexcominterfacelib.h"
#include "link/Tpylox.h"
#include "passwords/Getpasswordwin.h"
#include "platform/Application.h"
#include "platform/SerialPortView.h"
#include "settings/Opzioni.h"
#include "settings/Opzioniserialewin.h"
#include "settings/Pcconfig.h"

#include <ComPortMap.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace pylox::test;

namespace {

TEST(SerialPortToBoard, TheEmulatorsPseudoTerminalIsListedChosenAndReached) {
    ScopedConfigHome home;
    const std::string link =
        (std::filesystem::path(orvexlink::DosDevicesFolder()) / "com7").string();
    BoardProcess board({"--pty", "--pty-link", link, "--no-stdin"});
    ASSERT_EQ(std::filesystem::read_symlink(link).string(), board.PtyPath());
    ASSERT_EQ(orvex::LoadOrvexLib({(BinDir() / "libOrvexLink.so").string()}), 0);

    UseMachineSerialPorts();
    TApplication application;
    OpzioniFrm = application.CreateForm<TOpzioniFrm>();
    OpzioniSerialeFrm = application.CreateForm<TOpzioniSerialeFrm>();
    GetPasswordFrm = application.CreateForm<TGetPasswordFrm>();
    TPcConfig settings = LoadedPcConfig();

    QStringList lines;
    WhenVisible("OpzioniFrm", [&](QWidget*) {
        WhenVisible("OpzioniSerialeFrm", [&](QWidget*) {
            lines = OpzioniSerialeFrm->CommRG->Items();
            const qsizetype line = lines.indexOf("COM7 = ");
            if (line >= 0)
                Click(OpzioniSerialeFrm->CommRG, line);
            OpzioniSerialeFrm->BitBtn1->click();
        });
        OpzioniFrm->OpzioniSerialeBtn->click();
        OpzioniFrm->BitBtn1->click();
    });
    OpzioniFrm->Execute(&settings);
    EXPECT_TRUE(lines.contains("COM7 = ")) << lines.join('|').toStdString();

    // A later run of the tool reads the port back and connects over the serial line.
    const TPcConfig stored = LoadedPcConfig();
    ASSERT_EQ(stored.CommPort, 7);
    TConnParams params{};
    params.Kind = 1;
    params.ComPort = stored.CommPort;
    params.Baud = 38400;
    params.DataBits = 8;
    orvex::ociSetProtocol(1);
    {
        TPylox pylox(params, "480917");
        pylox.Resume();
        EXPECT_TRUE(WaitFor([&] { return pylox.IsLinkUp(); }, std::chrono::seconds(20)));
        EXPECT_EQ(pylox.GetFirmwareVersion(), 0x01000108u);
    }

    SetLocalMachineProvider({});
    ResetWindowGlobals();
    orvex::FreeOrvexLib();
}

} // namespace
