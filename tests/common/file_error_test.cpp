#include "common/file_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace rostrel {
namespace {

struct DescriptionCase {
  std::vector<FileError> errors;  // each gets the phrase
  const char* phrase;
};

void PrintTo(const DescriptionCase& c, std::ostream* os) { *os << c.phrase; }

FileError Win(unsigned long code) { return WindowsError(code); }

class Descriptions : public ::testing::TestWithParam<DescriptionCase> {};

// The numbers of the three kinds overlap; each is read in its own table.
TEST_P(Descriptions, ArePolishForEveryKindOfCode) {
  for (const FileError& error : GetParam().errors)
    EXPECT_EQ(Describe(error), GetParam().phrase) << "code " << error.code;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Descriptions,
    ::testing::Values(
        DescriptionCase{{PosixError(EACCES), Win(5)}, "brak uprawnień do pliku lub katalogu"},
        DescriptionCase{{PosixError(ENOSPC), Win(112)}, "brak miejsca na dysku"},
        DescriptionCase{{PosixError(EROFS), Win(381)}, "dysk tylko do odczytu"},
        DescriptionCase{{PosixError(ENOENT)}, "plik lub katalog nie istnieje"},
        DescriptionCase{{PosixError(EBUSY), Win(32), Win(391)},
                        "plik jest używany przez inny program"},
        DescriptionCase{{PosixError(1234)}, "nieznany błąd systemu (kod 1234)"},
        DescriptionCase{{Win(13)}, "nieznany błąd systemu Windows (kod 13)"},
        // Files on a network drive or a share, and files kept in the cloud.
        DescriptionCase{{Win(53)},
                        "nie znaleziono komputera lub dysku w sieci (sprawdź połączenie z siecią)"},
        DescriptionCase{{Win(59)}, "błąd połączenia z siecią"},
        DescriptionCase{{Win(64)}, "przerwane połączenie z dyskiem sieciowym"},
        DescriptionCase{{Win(65)}, "brak dostępu do dysku sieciowego"},
        DescriptionCase{{Win(67)}, "nie znaleziono folderu udostępnionego w sieci"},
        DescriptionCase{{Win(362), Win(404)},
                        "nie działa program synchronizujący pliki z chmurą (np. OneDrive)"},
        DescriptionCase{{Win(363), Win(364), Win(365), Win(366), Win(374), Win(375), Win(378),
                         Win(379), Win(380), Win(382), Win(383), Win(387), Win(389), Win(390),
                         Win(392), Win(394), Win(396), Win(397)},
                        "nie udało się pobrać pliku z chmury (np. OneDrive)"},
        DescriptionCase{{Win(377)}, "plik nie jest zsynchronizowany z chmurą"},
        DescriptionCase{{Win(386)}, "nie zalogowano się do chmury (np. OneDrive)"},
        DescriptionCase{
            {Win(388)},
            "brak połączenia z chmurą (np. OneDrive), a pliku nie ma na tym komputerze"},
        DescriptionCase{{Win(393), Win(398)}, "przerwano pobieranie pliku z chmury"},
        DescriptionCase{{Win(395)}, "chmura (np. OneDrive) nie daje dostępu do pliku"},
        DescriptionCase{{ZipError(19)}, "nieprawidłowe lub uszkodzone archiwum ZIP"},
        DescriptionCase{{ZipError(13)}, "uszkodzone dane w archiwum ZIP"},
        DescriptionCase{{ZipError(99)}, "nieznany błąd archiwum ZIP (kod 99)"}));

TEST(DescribeWithCode, PutsTheCodeBeforeThePhrase) {
  EXPECT_EQ(DescribeWithCode(WindowsError(32)), "32 plik jest używany przez inny program");
}

}  // namespace
}  // namespace rostrel
