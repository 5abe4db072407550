// Shared helpers of the test suites.
#pragma once

#include <filesystem>
#include <string>

namespace pylox::test {

// A fresh, empty folder that is removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Points XDG_CONFIG_HOME at a fresh folder for the life of the object, so that no
// test touches the user's real settings; restores the previous folder afterwards.
class ScopedConfigHome {
public:
    ScopedConfigHome();
    ~ScopedConfigHome();
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string previous_;
};

// Folder of the built programs and libraries (pylox-service, pylox-board, libOrvexLink.so).
std::filesystem::path BinDir();

// Installs a process-wide temporary XDG_CONFIG_HOME; called by the test mains.
void InstallTestEnvironment();

} // namespace pylox::test
