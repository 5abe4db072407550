// The configuration window and its cause dialog, ready for a test to open.
#pragma once

#include "WindowFixture.h"
#include "config/Configwin.h"
#include "config/Hintlevelswin.h"

#include <gtest/gtest.h>

class ConfigWindowFixture : public testing::Test {
protected:
    void SetUp() override {
        ConfigFrm = &config;
        HintLevelsFrm = &causes;
        DefaultConfig(record);
    }
    void TearDown() override { pylox::test::ResetWindowGlobals(); }

    TConfigFrm config;
    THintLevelsFrm causes;
    TPyloxConfig record{};
};
