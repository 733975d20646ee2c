#include "common/file_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace rostrel {
namespace {

struct DescriptionCase {
  FileError error;
  const char* phrase;
};

void PrintTo(const DescriptionCase& c, std::ostream* os) {
  *os << "kind " << static_cast<int>(c.error.kind) << ", code " << c.error.code;
}

class Descriptions : public ::testing::TestWithParam<DescriptionCase> {};

// The numbers of the three kinds overlap; each is read in its own table.
TEST_P(Descriptions, ArePolishForEveryKindOfCode) {
  EXPECT_EQ(Describe(GetParam().error), GetParam().phrase);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Descriptions,
    ::testing::Values(DescriptionCase{PosixError(EACCES), "brak uprawnień do pliku lub katalogu"},
                      DescriptionCase{PosixError(ENOSPC), "brak miejsca na dysku"},
                      DescriptionCase{PosixError(EROFS), "dysk tylko do odczytu"},
                      DescriptionCase{PosixError(ENOENT), "plik lub katalog nie istnieje"},
                      DescriptionCase{PosixError(EBUSY), "plik jest używany przez inny program"},
                      DescriptionCase{PosixError(1234), "nieznany błąd systemu (kod 1234)"},
                      DescriptionCase{WindowsError(5), "brak uprawnień do pliku lub katalogu"},
                      DescriptionCase{WindowsError(32), "plik jest używany przez inny program"},
                      DescriptionCase{WindowsError(112), "brak miejsca na dysku"},
                      DescriptionCase{WindowsError(13), "nieznany błąd systemu Windows (kod 13)"},
                      DescriptionCase{ZipError(19), "nieprawidłowe lub uszkodzone archiwum ZIP"},
                      DescriptionCase{ZipError(13), "uszkodzone dane w archiwum ZIP"},
                      DescriptionCase{ZipError(99), "nieznany błąd archiwum ZIP (kod 99)"}));

TEST(DescribeWithCode, PutsTheCodeBeforeThePhrase) {
  EXPECT_EQ(DescribeWithCode(WindowsError(32)), "32 plik jest używany przez inny program");
}

}  // namespace
}  // namespace rostrel
