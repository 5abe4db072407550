// Shared helpers of the test suites.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// The locale environment of an Italian desktop for the life of the object: LANG
// it_IT.UTF-8 with no LC_ALL or LC_MESSAGES above it. The previous values come back
// afterwards.
class ScopedItalianLocale {
public:
    ScopedItalianLocale();
    ~ScopedItalianLocale();
    ScopedItalianLocale(const ScopedItalianLocale&) = delete;
    ScopedItalianLocale& operator=(const ScopedItalianLocale&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> previous_;
};

// The whole content of a file, byte for byte; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// Polls the condition, sleeping between the polls, until it holds or the limit
// passes; for threads that need no event loop. Tells whether it held.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs each body in a child process of its own, all of them released at once, and
// tells for each whether it returned true (an exception counts as false).
std::vector<bool> RunTogether(const std::vector<std::function<bool()>>& bodies);

// Folder of the built programs and libraries (pylox-service, pylox-board, libOrvexLink.so).
std::filesystem::path BinDir();

// Installs a process-wide temporary XDG_CONFIG_HOME; called by the test mains.
void InstallTestEnvironment();

} // namespace pylox::test
