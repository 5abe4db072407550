// The configuration window and its cause dialog, ready for a test to open.
#pragma once

#include "GuiDriver.h"
#include "config/Configwin.h"
#include "config/Hintlevelswin.h"

#include <QRadioButton>
#include <gtest/gtest.h>

class ConfigWindowFixture : public testing::Test {
protected:
    void SetUp() override {
        ConfigFrm = &config;
        HintLevelsFrm = &causes;
        DefaultConfig(record);
    }
    void TearDown() override {
        ConfigFrm = nullptr;
        HintLevelsFrm = nullptr;
    }

    // Clicks an item of a radio group as the user would.
    static void Click(TRadioGroup* group, int item) {
        group->findChildren<QRadioButton*>().at(item)->click();
    }

    TConfigFrm config;
    THintLevelsFrm causes;
    TPyloxConfig record{};
};
