#pragma once

#include <string>

#include "common/clubs_section.h"
#include "common/prompter.h"

namespace rostrel {

inline constexpr const char* kSameFilesMessage =
    "Plik bazy zawodników i plik zgłoszenia to te same pliki, operacja anulowana";
// A read-only entries file: its path goes on a line of its own between the two parts.
inline constexpr const char* kReadOnlyEntriesMessage = "Plik zgłoszenia jest tylko do odczytu:";
inline constexpr const char* kReadOnlyEntriesAdvice =
    "Program go nie nadpisze. Zdejmij z pliku oznaczenie „tylko do odczytu” (we właściwościach "
    "pliku) albo wklej zawodników do kopii tego pliku, którą można zapisywać.";
inline constexpr const char* kConfirmTitle = "Potwierdź nadpisanie pliku";
inline constexpr const char* kConfirmText =
    "Czy nadpisać nazwę klubu i dane wszystkich zawodników we wskazanym pliku ? \r\n"
    "Wprowadzonych zmian nie będzie można cofnąć ";
inline constexpr const char* kPasteDoneMessage = "Operacja wykonana poprawnie, nadpisano plik: ";
// Shown after the success message, followed by the document's path and why it stayed.
inline constexpr const char* kDocumentLeftMessage =
    "Nie udało się usunąć dokumentu LEF rozpakowanego z pliku zgłoszenia. Plik zgłoszenia został "
    "nadpisany poprawnie, ale dopóki ten dokument leży w katalogu, kolejne wklejanie do pliku "
    "z tego katalogu zostanie wstrzymane. Usuń go ręcznie:";
// After the program-error message, when the entries file had already been replaced.
inline constexpr const char* kReplacedBeforeErrorMessage =
    "Plik zgłoszenia został już nadpisany nowym plikiem: ";

// The paste action: asks for the entries file with `comIN`, confirms, unpacks it, rewrites its
// document with the database's clubs section and replaces the entries file with the repacked
// archive in one atomic step; an entries file reached through a symbolic link is replaced where
// the link points. Clubs whose tags do not balance, a read-only entries file and the database
// file itself are refused before anything is unpacked. Changes nothing in the window; returns
// true when the entries file was replaced, even if a temporary file could not be removed
// afterwards.
bool PasteEntries(Prompter& prompter, FileDialogSettings& comIN, const std::string& dbFile,
                  const ClubsSection& clubs);

}  // namespace rostrel
