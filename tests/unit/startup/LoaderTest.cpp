#include "link/Orvexcominterfacelib.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class Loader : public testing::Test {
protected:
    void TearDown() override { orvex::FreeOrvexLib(); }
};

TEST_F(Loader, ResolvesEveryEntryPointByName) {
    ASSERT_EQ(orvex::LoadOrvexLib({TEST_LINK_LIBRARY}), 0);
    EXPECT_TRUE(orvex::MissingEntryPoints().empty());
    EXPECT_EQ(orvex::LoadedLinkLibrary(), TEST_LINK_LIBRARY);
    const void* points[] = {
        reinterpret_cast<void*>(orvex::ociCreateNewConnection),
        reinterpret_cast<void*>(orvex::ociDeleteConnection),
        reinterpret_cast<void*>(orvex::ociSetProtocol),
        reinterpret_cast<void*>(orvex::ociIsValid),
        reinterpret_cast<void*>(orvex::ociIsBusy),
        reinterpret_cast<void*>(orvex::ociIsConnected),
        reinterpret_cast<void*>(orvex::ociWaitToConnect),
        reinterpret_cast<void*>(orvex::ociConnectedRequest),
        reinterpret_cast<void*>(orvex::ociDatagramRequest),
        reinterpret_cast<void*>(orvex::ociRequest),
        reinterpret_cast<void*>(orvex::ociSuspendConnection),
        reinterpret_cast<void*>(orvex::ociResumeConnection),
        reinterpret_cast<void*>(orvex::ociSetNotifyError),
        reinterpret_cast<void*>(orvex::ociSetNotifyRx),
        reinterpret_cast<void*>(orvex::ociGetNotifyError),
        reinterpret_cast<void*>(orvex::ociGetNotifyRx),
        reinterpret_cast<void*>(orvex::ociSetTxTimeout),
        reinterpret_cast<void*>(orvex::ociGetTxTimeout),
        reinterpret_cast<void*>(orvex::ociSetLog),
        reinterpret_cast<void*>(orvex::ociLog),
        reinterpret_cast<void*>(orvex::ociSetUnsyncNotifyError),
        reinterpret_cast<void*>(orvex::ociSetUnsyncNotifyRx),
        reinterpret_cast<void*>(orvex::ociCheckSynchronize),
    };
    for (const void* point : points)
        EXPECT_NE(point, nullptr);

    orvex::FreeOrvexLib();
    EXPECT_EQ(orvex::ociConnectedRequest, nullptr);
    EXPECT_EQ(orvex::LoadedLinkLibrary(), "");
}

TEST_F(Loader, NamesTheEntryPointsALibraryLacks) {
    ASSERT_EQ(orvex::LoadOrvexLib({TEST_LINK_LIBRARY_INCOMPLETE}), 0);
    EXPECT_EQ(orvex::MissingEntryPoints(), std::vector<std::string>{"ociCheckSynchronize"});
}

TEST_F(Loader, TakesTheFirstCandidateThatLoads) {
    ASSERT_EQ(orvex::LoadOrvexLib({"/nonexistent/libOrvexLink.so", TEST_LINK_LIBRARY}), 0);
    EXPECT_EQ(orvex::LoadedLinkLibrary(), TEST_LINK_LIBRARY);
}

TEST_F(Loader, FailsWhenNoCandidateLoads) {
    EXPECT_EQ(orvex::LoadOrvexLib({"/nonexistent/libOrvexLink.so", "libNoSuchLink.so"}), -1);
    EXPECT_TRUE(orvex::MissingEntryPoints().empty());
    orvex::FreeOrvexLib(); // freeing what never loaded is harmless
}

TEST_F(Loader, LooksNextToTheExecutableFirst) {
    const auto candidates = orvex::LinkLibraryCandidates();
    ASSERT_GE(candidates.size(), 2u);
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(candidates.front(), (exe.parent_path() / "libOrvexLink.so").string());
    EXPECT_EQ(candidates.back(), "libOrvexLink.so");
}

} // namespace
