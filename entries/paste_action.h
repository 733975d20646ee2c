#pragma once

#include <string>

#include "common/prompter.h"
#include "common/tag_balance.h"

namespace rostrel {

inline constexpr const char* kSameFilesMessage =
    "Plik bazy zawodników i plik zgłoszenia to te same pliki, operacja anulowana";
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

// The paste action: asks for the entries file with `comIN`, confirms, unpacks it, rewrites its
// document with the database's clubs section and replaces the entries file with the repacked
// archive in one atomic step; an entries file reached through a symbolic link is replaced where
// the link points. Changes nothing in the window; returns true when the entries file was
// replaced, even if a temporary file could not be removed afterwards. `clubsBalance` is what
// reading the database found of the clubs section's tags: clubs that do not balance are refused
// before anything is unpacked.
bool PasteEntries(Prompter& prompter, FileDialogSettings& comIN, const std::string& dbFile,
                  const std::string& clubsText, const std::string& clubsEncoding,
                  const TagBalance& clubsBalance = {});

}  // namespace rostrel
