// Faults of the settings store: a full disk, a file size limit and a store that
// has turned read-only. Saves under the fault fail loudly, and what was stored
// before is still there, reads back whole, and is stored anew once the fault ends.
// Each case runs in a child process of its own, so that its limits and mounts
// (in a mount namespace of its own) never reach the other tests.
#include "SettingsStore.h"
#include "TestEnvironment.h"
#include "platform/Registry.h"
#include "settings/Pcconfig.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using namespace pylox::test;

namespace {

const std::string kConfig = "\\SOFTWARE\\Orvex\\Config";
constexpr int kUnavailable = 77; // the machine does not allow this fault

TPcConfig Stored() {
    TPcConfig config;
    config.CommPort = 7;
    config.UserNames = {"tecnico", "service", "capo"};
    config.Passwords = {"a1b2", "c3d4e5", "f6"};
    return config;
}

TPcConfig Other() {
    TPcConfig config;
    config.CommPort = 2;
    config.UserNames = {std::string(19, 'x'), std::string(19, 'y'), std::string(19, 'z')};
    config.Passwords = {std::string(19, 'p'), std::string(19, 'q'), std::string(19, 'r')};
    return config;
}

bool Same(const TPcConfig& a, const TPcConfig& b) {
    return a.CommPort == b.CommPort && a.UserNames == b.UserNames && a.Passwords == b.Passwords;
}

// The checks of one case, run in the child; an empty text when all held.
struct Store {
    fs::path home;
    std::string problems;

    void Check(bool ok, const std::string& what) {
        if (!ok)
            problems += what + "\n";
    }
    std::string FileText() const { return ReadFile(home / "Orvex" / "registry.reg"); }
    bool SaveFails(const TPcConfig& config) {
        try {
            SavePcConfig(config);
        } catch (const ERegistryException&) {
            return true;
        }
        return false;
    }
    bool TextWriteFails() {
        TRegistry reg;
        if (!reg.OpenKey(kConfig, false))
            return false;
        try {
            reg.WriteString("Note", std::string(64 * 1024, 'n'));
        } catch (const ERegistryException&) {
            return true;
        }
        return false;
    }
    // While the fault holds: every save fails and the old values read back.
    void UnderFault(const std::string& before) {
        Check(SaveFails(Other()), "a save under the fault was not reported");
        Check(TextWriteFails(), "a large text written under the fault was not reported");
        Check(Same(LoadedPcConfig(), Stored()), "the stored settings changed under the fault");
        Check(FileText() == before, "the settings file changed under the fault");
    }
    void AfterFault() {
        Check(Same(LoadedPcConfig(), Stored()),
              "the stored settings did not read back after the fault");
        for (const auto& entry : fs::directory_iterator(home / "Orvex"))
            Check(entry.path().filename().string().find("damaged") == std::string::npos,
                  "the file was taken for damaged: " + entry.path().string());
        try {
            SavePcConfig(Other());
            Check(Same(LoadedPcConfig(), Other()), "a save after the fault did not read back");
        } catch (const ERegistryException& e) {
            Check(false, std::string("a save after the fault failed: ") + e.what());
        }
    }
};

// Prepares the store in home, holds the fault while the checks run and lifts it.
struct StoreFault {
    const char* name;
    // Runs before the first save: a fresh mount, where the fault needs one.
    std::function<bool(const fs::path& home)> prepare;
    std::function<bool(const fs::path& home)> begin;
    std::function<bool(const fs::path& home)> end;
};

bool MountTmpfs(const fs::path& home, const char* size) {
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    return mount("tmpfs", home.c_str(), "tmpfs", 0, size) == 0;
}

const StoreFault kFaults[] = {
    {"FileSizeLimit", [](const fs::path&) { return true; },
     [](const fs::path& home) {
         // Room for a little less than the file already holds.
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit limit{};
         getrlimit(RLIMIT_FSIZE, &limit);
         limit.rlim_cur = fs::file_size(home / "Orvex" / "registry.reg") / 2;
         return setrlimit(RLIMIT_FSIZE, &limit) == 0;
     },
     [](const fs::path&) {
         rlimit limit{};
         getrlimit(RLIMIT_FSIZE, &limit);
         limit.rlim_cur = limit.rlim_max;
         return setrlimit(RLIMIT_FSIZE, &limit) == 0;
     }},
    {"DiskFull", [](const fs::path& home) { return MountTmpfs(home, "size=512k"); },
     [](const fs::path& home) {
         // Fill the disk to its last byte.
         std::ofstream filler(home / "filler", std::ios::binary);
         const std::string block(4096, 'f');
         while (filler.write(block.data(), block.size()))
             filler.flush();
         return true;
     },
     [](const fs::path& home) { return fs::remove(home / "filler"); }},
    {"ReadOnlyStore", [](const fs::path& home) { return MountTmpfs(home, "size=512k"); },
     [](const fs::path& home) {
         return mount(nullptr, home.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
     },
     [](const fs::path& home) {
         return mount(nullptr, home.c_str(), nullptr, MS_REMOUNT, "size=512k") == 0;
     }},
};

class StoreFaults : public testing::TestWithParam<StoreFault> {};

TEST_P(StoreFaults, WhatWasStoredBeforeStaysAndReadsBack) {
    const StoreFault& fault = GetParam();
    TempDir home;
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        Store store{home.path(), {}};
        if (!fault.prepare(home.path()))
            _exit(kUnavailable);
        setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
        SavePcConfig(Stored());
        const std::string before = store.FileText();
        store.Check(!before.empty(), "nothing was stored");
        if (!fault.begin(home.path()))
            _exit(kUnavailable);
        store.UnderFault(before);
        store.Check(fault.end(home.path()), "the fault could not be lifted");
        store.AfterFault();
        const ssize_t written = write(pipeFds[1], store.problems.data(), store.problems.size());
        _exit(written == ssize_t(store.problems.size()) ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string problems;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof(buffer))) > 0;)
        problems.append(buffer, std::size_t(n));
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the store crashed, signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == kUnavailable)
        GTEST_SKIP() << "this machine does not allow the fault (no mount namespace or tmpfs)";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(problems, "");
}

INSTANTIATE_TEST_SUITE_P(Settings, StoreFaults, testing::ValuesIn(kFaults),
                         [](const testing::TestParamInfo<StoreFault>& param) {
                             return param.param.name;
                         });

} // namespace
