#include "ConfigFixture.h"
#include "link/Tpylox.h"

#include <QListWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace pylox::test;

namespace {

class ConfigWindow : public ConfigWindowFixture {
protected:
    // Opens the window on the record, lets the user act, and closes with OK or Cancel.
    bool Run(const std::function<void()>& user, bool ok = true, TPylox* connection = nullptr) {
        WhenVisible("ConfigFrm", [=, this](QWidget*) {
            user();
            (ok ? config.CloseBtn : config.CancelBtn)->click();
        });
        return config.Execute(connection, record);
    }

    // A connection whose board reports this firmware; it is never started.
    static std::unique_ptr<TPylox> Board(uint32_t firmware) {
        auto pylox = std::make_unique<TPylox>(TConnParams{}, "");
        pylox->FirmwareVersion = firmware;
        return pylox;
    }
};

TEST_F(ConfigWindow, OnlyOneInputMayBeARainAndOneAWindSensor) {
    record.Inputs[1] = {stGuasto, 4, 0x00};
    ASSERT_TRUE(Run([&] {
        Click(config.TipoRg[0], stAtmPioggia);
        EXPECT_EQ(config.TipoRg[0]->ItemIndex(), stAtmPioggia);
        Click(config.TipoRg[1], stAtmPioggia); // refused: back to "Guasto" with "NC"
        EXPECT_EQ(config.TipoRg[1]->ItemIndex(), stGuasto);
        EXPECT_EQ(config.PolRg[1]->ItemIndex(), 0);
        EXPECT_TRUE(config.PolRg[1]->isEnabled());
        Click(config.TipoRg[2], stAtmVento);
        EXPECT_EQ(config.TipoRg[2]->ItemIndex(), stAtmVento);
        EXPECT_EQ(config.PolRg[2]->ItemIndex(), 1); // "NO"
        EXPECT_FALSE(config.PolRg[2]->isEnabled());
        EXPECT_FALSE(config.LivelloSb[2]->isEnabled());
        Click(config.TipoRg[3], stAtmVento); // a second wind sensor: refused
        EXPECT_EQ(config.TipoRg[3]->ItemIndex(), stIO);
    }));
    EXPECT_EQ(record.Inputs[0].Type, stAtmPioggia);
    EXPECT_EQ(record.Inputs[1].Type, stGuasto);
    EXPECT_EQ(record.Inputs[2].Type, stAtmVento);
    EXPECT_EQ(record.Inputs[3].Type, stIO);
    EXPECT_FALSE(record.Inputs[2].IsNC());
}

TEST_F(ConfigWindow, OlderFirmwareTurnsAtmosphericTypesIntoIO) {
    struct Case {
        uint32_t firmware; // 0: offline
        int expected;
    } cases[] = {{0x01000105, stIO}, {0x01000106, stAtmVento}, {0, stAtmVento}};
    for (const auto& c : cases) {
        auto board = Board(c.firmware);
        ASSERT_TRUE(Run([&] { Click(config.TipoRg[0], stAtmVento); }, true,
                        c.firmware ? board.get() : nullptr));
        EXPECT_EQ(record.Inputs[0].Type, c.expected) << std::hex << c.firmware;
        record.Inputs[0].Type = stIO;
    }
    // A board configuration with type 4 opens as "I/O" on older firmware.
    record.Inputs[2].Type = stAtmPioggia;
    auto old = Board(0x01000105);
    ASSERT_TRUE(Run([] {}, true, old.get()));
    EXPECT_EQ(record.Inputs[2].Type, stIO);
}

TEST_F(ConfigWindow, ALoadedRecordIsStoredBackAsItWas) {
    record.Inputs[0] = {stAtmPioggia, 3, 0xFE};
    record.Inputs[1] = {stAtmPioggia, 0, 0x01}; // two rain sensors, as a file may hold
    record.Inputs[2] = {stAllarme, 7, 0x81};
    record.Inputs[3] = {stTamper, 15, 0x80};
    const TPyloxConfig before = record;
    ASSERT_TRUE(Run([] {}));
    EXPECT_EQ(config.TipoRg[1]->ItemIndex(), stAtmPioggia);
    TPyloxConfig expected = before;
    expected.Inputs[1].Level = 1; // a level of 0 shows, and is stored, as 1
    EXPECT_EQ(record, expected);
}

TEST_F(ConfigWindow, PolarityWritesBitZeroOnly) {
    record.Inputs[0] = {stAllarme, 5, 0x81};
    ASSERT_TRUE(Run([&] {
        EXPECT_EQ(config.PolRg[0]->ItemIndex(), 0); // "NC"
        Click(config.PolRg[0], 1);                  // "NO"
    }));
    EXPECT_EQ(record.Inputs[0].Flags, 0x80);
}

TEST_F(ConfigWindow, OutOfRangeBytesAreShownAndStoredInRange) {
    record.Inputs[0] = {9, 0, 0x00};
    ASSERT_TRUE(Run([&] {
        EXPECT_EQ(config.TipoRg[0]->ItemIndex(), stAtmVento);
        EXPECT_EQ(config.LivelloSb[0]->Value(), 1);
    }));
    EXPECT_EQ(record.Inputs[0].Type, stAtmVento);
    EXPECT_EQ(record.Inputs[0].Level, 1);
}

TEST_F(ConfigWindow, ACauseSetsLevelAndType) {
    ASSERT_TRUE(Run([&] {
        WhenVisible("HintLevelsFrm", [&](QWidget*) {
            causes.LevLb->setCurrentRow(4); // "Taglio cavi"
            causes.OkBtn->click();
        });
        config.HintBtn[2]->click();
        EXPECT_TRUE(config.PolRg[2]->isEnabled());
        // Cancelling, or OK without a cause, changes nothing.
        WhenVisible("HintLevelsFrm", [&](QWidget*) {
            causes.LevLb->setCurrentRow(0);
            causes.CancelBtn->click();
        });
        config.HintBtn[1]->click();
        WhenVisible("HintLevelsFrm", [&](QWidget*) { causes.OkBtn->click(); });
        config.HintBtn[1]->click();
    }));
    EXPECT_EQ(record.Inputs[2].Level, 13);
    EXPECT_EQ(record.Inputs[2].Type, stTamper);
    EXPECT_EQ(record.Inputs[1].Type, stIO);
    EXPECT_EQ(record.Inputs[1].Level, 1);
}

TEST_F(ConfigWindow, CancelLeavesTheRecordUnchanged) {
    const TPyloxConfig before = record;
    EXPECT_FALSE(Run([&] { Click(config.TipoRg[0], stAllarme); }, false));
    EXPECT_EQ(record, before);
}

} // namespace
