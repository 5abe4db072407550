#include "TestEnvironment.h"

#include <cstdlib>
#include <stdexcept>

namespace pylox::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pylox-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScopedConfigHome::ScopedConfigHome() {
    if (const char* old = std::getenv("XDG_CONFIG_HOME"))
        previous_ = old;
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
}

ScopedConfigHome::~ScopedConfigHome() {
    if (previous_.empty())
        unsetenv("XDG_CONFIG_HOME");
    else
        setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
}

std::filesystem::path BinDir() {
    return PYLOX_BIN_DIR;
}

void InstallTestEnvironment() {
    // Lives until the process ends; every test starts under it.
    static ScopedConfigHome home;
}

} // namespace pylox::test
