#include <gtest/gtest.h>

#include "archive/shell_zip.h"

namespace {

// Taken before any test shortens it.
const std::chrono::milliseconds kPauseAtStart = rostrel::ShellZipPause();

// The pause after each archive operation is only wasted time in tests; the test that checks
// the pause sets its own.
class NoPauseEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { rostrel::SetShellZipPause(std::chrono::milliseconds(0)); }
};

const bool kRegistered = [] {
  ::testing::AddGlobalTestEnvironment(new NoPauseEnvironment);
  return true;
}();

TEST(ShellZipPause, IsOneSecondUnlessChanged) {
  EXPECT_EQ(kPauseAtStart, std::chrono::milliseconds(1000));
}

}  // namespace
