#include "PendingPolls.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Ends the polls a test left waiting (a window that never showed) with the test.
class EndPendingPolls : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override { delete pylox::test::PendingPolls(); }
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    pylox::test::InstallTestEnvironment();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new EndPendingPolls);
    return RUN_ALL_TESTS();
}
