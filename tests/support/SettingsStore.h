// Tests on the settings store: each runs on a store of its own, never the user's.
#pragma once

#include "TestEnvironment.h"
#include "platform/Registry.h"
#include "settings/Pcconfig.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

namespace pylox::test {

// A fresh configuration folder, and the path the store file takes in it.
class SettingsStoreTest : public testing::Test {
protected:
    ScopedConfigHome home_;
    std::filesystem::path file_ = RegistryFilePath();
};

// The PC settings as the store holds them; the port stays presetPort when none is stored.
inline TPcConfig LoadedPcConfig(std::int32_t presetPort = 1) {
    TPcConfig config;
    config.CommPort = presetPort;
    LoadPcConfig(config);
    return config;
}

} // namespace pylox::test
