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

// The paste action: asks for the entries file with `comIN`, confirms, unpacks it, rewrites its
// document with the database's clubs section and replaces the entries file with the repacked
// archive in one atomic step. Changes nothing in the window; returns true when the entries file
// was replaced. `clubsBalance` is what reading the database found of the clubs section's tags:
// clubs that do not balance are refused before anything is unpacked.
bool PasteEntries(Prompter& prompter, FileDialogSettings& comIN, const std::string& dbFile,
                  const std::string& clubsText, const std::string& clubsEncoding,
                  const TagBalance& clubsBalance = {});

}  // namespace rostrel
