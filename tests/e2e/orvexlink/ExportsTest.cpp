// The library shows its callers the 23 entry points and nothing else, so that
// its inner C++ symbols never clash with those of the process that loads it.
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace {

std::set<std::string> ExportedSymbols(const std::string& library) {
    const std::string command = "nm -D --defined-only --format=posix '" + library + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::set<std::string> names;
    if (!pipe)
        return names;
    char line[512];
    while (std::fgets(line, sizeof(line), pipe.get())) {
        const std::string text = line;
        names.insert(text.substr(0, text.find(' ')));
    }
    return names;
}

TEST(Exports, OnlyTheEntryPointsAreVisible) {
    const std::set<std::string> expected = {"ociCreateNewConnection",
                                            "ociDeleteConnection",
                                            "ociSetProtocol",
                                            "ociIsValid",
                                            "ociIsBusy",
                                            "ociIsConnected",
                                            "ociWaitToConnect",
                                            "ociConnectedRequest",
                                            "ociDatagramRequest",
                                            "ociRequest",
                                            "ociSuspendConnection",
                                            "ociResumeConnection",
                                            "ociSetNotifyError",
                                            "ociSetNotifyRx",
                                            "ociGetNotifyError",
                                            "ociGetNotifyRx",
                                            "ociSetTxTimeout",
                                            "ociGetTxTimeout",
                                            "ociSetLog",
                                            "ociLog",
                                            "ociSetUnsyncNotifyError",
                                            "ociSetUnsyncNotifyRx",
                                            "ociCheckSynchronize"};
    EXPECT_EQ(ExportedSymbols((pylox::test::BinDir() / "libOrvexLink.so").string()), expected);
}

} // namespace
