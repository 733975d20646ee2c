// What an action's guard tells of an exception that escaped the action's work.

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "common/prompter.h"

namespace rostrel {
namespace {

struct EscapeCase {
  const char* name;
  std::function<void()> work;
  const char* told;  // what the guard passes on; "" for work that ends normally
};

void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

class RunGuardedTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(RunGuardedTest, DescribesTheEscapedExceptionInPolish) {
  const EscapeCase& c = GetParam();
  std::string told;
  int calls = 0;
  RunGuarded(c.work, [&](const std::string& what) {
    told = what;
    ++calls;
  });
  EXPECT_EQ(told, c.told);
  EXPECT_EQ(calls, std::string(c.told).empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, RunGuardedTest,
    ::testing::Values(EscapeCase{"NothingEscapes", [] {}, ""},
                      EscapeCase{"MemoryRunsOut", [] { throw std::bad_alloc(); }, "brak pamięci"},
                      EscapeCase{"LibraryException", [] { throw std::out_of_range("vector::at"); },
                                 "nieoczekiwany wyjątek: vector::at"},
                      EscapeCase{"SomethingElse", [] { throw 42; }, "nieznany błąd"}),
    [](const auto& info) { return std::string(info.param.name); });

// Tidying up that fails in its turn does not end the program either.
TEST(RunGuarded, AnAbandonThatThrowsIsSwallowed) {
  bool abandoned = false;
  RunGuarded([] { throw std::runtime_error("x"); },
             [&](const std::string&) {
               abandoned = true;
               throw std::bad_alloc();
             });
  EXPECT_TRUE(abandoned);
}

}  // namespace
}  // namespace rostrel
