// What every test program of the project starts with: the archive routines without their
// one-second pause, and no injected file fault carried from one test into the next.

#include <gtest/gtest.h>

#include <chrono>

#include "archive/shell_zip.h"
#include "common/fileops.h"

namespace rostrel::testing {
namespace {

class NoPauseEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetShellZipPause(std::chrono::milliseconds(0));
    fileops::SetRetryPause(std::chrono::milliseconds(0));
  }
};

class FaultsEndWithTheirTest : public ::testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const ::testing::TestInfo&) override { fileops::ResetFaults(); }
};

const bool kInstalled = [] {
  ::testing::AddGlobalTestEnvironment(new NoPauseEnvironment);
  ::testing::UnitTest::GetInstance()->listeners().Append(new FaultsEndWithTheirTest);
  return true;
}();

}  // namespace
}  // namespace rostrel::testing
