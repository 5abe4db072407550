// The options window, the serial port dialog and the password change dialog in every
// shipped language, with their lists filled: no caption is clipped.
#include "CaptionsFit.h"
#include "WindowFixture.h"
#include "localization/Zelklocalize.h"
#include "passwords/Getpasswordwin.h"
#include "platform/Ansi.h"
#include "platform/Gettext.h"
#include "platform/Registry.h"
#include "platform/SerialPortView.h"
#include "settings/Opzioni.h"
#include "settings/Opzioniserialewin.h"
#include "settings/Pcconfig.h"
#include "settings/Ut.h"

#include <gtest/gtest.h>

using namespace pylox::test;

namespace {

class ShippedLanguage : public ShippedLanguageTest {
protected:
    void TearDown() override {
        SetLocalMachineProvider({});
        ShippedLanguageTest::TearDown();
    }
};

TEST_P(ShippedLanguage, NoCaptionIsClipped) {
    TOpzioniFrm options;
    TOpzioniSerialeFrm serial;
    TGetPasswordFrm passwords;
    // The lists as the windows fill them when they open.
    TLanguageList languages;
    FillLanguageList(languages);
    ASSERT_FALSE(languages.Strings.isEmpty());
    options.LangRg->SetItems(languages.Strings);
    const auto ports = SerialPortTree({
        {1, "/dev/ttyS0", "PNP", "PNP0501", "ttyS0", "ttyS0"},
        {7, "/dev/pts/3", "", "", "", ""},
        {33, "/dev/ttyUSB0", "USB", "VID_0403&PID_6001", "ttyUSB0", "FT232R USB UART"},
        {65, "/dev/ttyACM0", "USB", "VID_2341&PID_0043", "ttyACM0", "Arduino Uno"},
    });
    SetLocalMachineProvider([ports] { return ports; });
    serial.CommRG->SetItems(FromAnsi(ListSerialPorts()).split("\r\n", Qt::SkipEmptyParts));
    for (TForm* window : std::initializer_list<TForm*>{&options, &serial, &passwords}) {
        SCOPED_TRACE(window->objectName().toStdString());
        TranslateComponent(window);
        window->ensurePolished();
        EXPECT_EQ(ClippedCaptions(window).join('\n').toStdString(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguage, testing::Values("it", "en", "de"));

} // namespace
