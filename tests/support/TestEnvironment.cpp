#include "TestEnvironment.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

ScopedItalianLocale::ScopedItalianLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* old = std::getenv(name);
        previous_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        unsetenv(name);
    }
    setenv("LANG", "it_IT.UTF-8", 1);
}

ScopedItalianLocale::~ScopedItalianLocale() {
    for (const auto& [name, value] : previous_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<bool> RunTogether(const std::vector<std::function<bool()>>& bodies) {
    int start[2];
    if (pipe(start) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<pid_t> children;
    for (const auto& body : bodies) {
        const pid_t pid = fork();
        if (pid == 0) {
            // Held until the parent closes its end, so that the bodies overlap.
            close(start[1]);
            char c;
            (void)!read(start[0], &c, 1);
            bool ok = false;
            try {
                ok = body();
            } catch (...) {
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    close(start[0]);
    close(start[1]);
    std::vector<bool> results;
    for (const pid_t child : children) {
        int status = 0;
        results.push_back(child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                          WEXITSTATUS(status) == 0);
    }
    return results;
}

std::filesystem::path BinDir() {
    return PYLOX_BIN_DIR;
}

void InstallTestEnvironment() {
    // Lives until the process ends; every test starts under it.
    static ScopedConfigHome home;
}

} // namespace pylox::test
