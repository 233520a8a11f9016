#include "strings/CTevnoTools.h"
#include "strings/StringManager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

// Runs `body` on a thread of its own, then ends the process: exit code 0 and "thread ended"
// when the thread did not come back from `body`.
[[noreturn]] void RunOnThreadAndReport(const std::function<void()>& body) {
    bool returned = false;
    std::thread thread([&] {
        body();
        returned = true;
    });
    thread.join();
    std::fprintf(stderr, "%s\n", returned ? "thread returned" : "thread ended");
    std::fflush(stderr);
    std::_Exit(returned ? 1 : 0);
}

// Each death test runs in a fresh process, so the process-wide guard starts unset.
class CTevnoToolsDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(CTevnoToolsDeathTest, StringManagerBeforeInitializeEndsTheThread) {
    EXPECT_EXIT(RunOnThreadAndReport([] { StringManager::Instance(); }),
                ::testing::ExitedWithCode(0),
                "You have to call CTevnoTools::Initialize\\(\\) first!\nthread ended");
}

TEST_F(CTevnoToolsDeathTest, TooOldPlatformEndsTheThreadUninitialized) {
    EXPECT_EXIT(RunOnThreadAndReport([] {
                    CTevnoTools::InitializeForVersion(1, 4, 10);
                    if (CTevnoTools::IsInitialized()) {
                        std::fprintf(stderr, "initialized\n");
                    }
                }),
                ::testing::ExitedWithCode(0),
                "This Program requires Windows 2000 or later\n"
                "thread ended");
}

TEST(CTevnoTools, MinimumPlatformCheck) {
    struct Case {
        int row;
        int major;
        int minor;
        bool passes;
    };
    const Case cases[] = {
        {0, 4, 10, true}, {0, 4, 9, false},  {0, 3, 95, false}, {0, 4, 90, true}, {0, 5, 0, true},
        {0, 10, 0, true}, {1, 4, 10, false}, {3, 5, 1, false},  {3, 5, 2, true},  {3, 6, 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CTevnoTools::MeetsRequirement(kPlatformRequirements[static_cast<size_t>(c.row)],
                                                c.major, c.minor),
                  c.passes)
            << "row " << c.row << " version " << c.major << "." << c.minor;
    }
}

TEST(CTevnoTools, InitializePassesHereAndUnlocksTheStringManager) {
    CTevnoTools::Initialize(0);
    EXPECT_TRUE(CTevnoTools::IsInitialized());
    EXPECT_FALSE(StringManager::Instance().GetLanguage().empty());
}

} // namespace
