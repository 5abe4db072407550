#include "TestEnvironment.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    pylox::test::InstallTestEnvironment();
    return RUN_ALL_TESTS();
}
