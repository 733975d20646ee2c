#pragma once

#include <string>

#include "archive/unpacked_files.h"

namespace rostrel {

class Prompter;

inline constexpr const char* kInvalidArchiveMessage =
    "Uwaga, nieprawidłowe archiwum LXF, skontaktuj się z autorem programu";
inline constexpr const char* kLefFilesPresentMessage =
    "Uwaga, w katalogu z którym wybrano plik LXF istnieją pliki LEF. Usuń pliki LEF z wskazanego "
    "katalogu !!";
inline constexpr const char* kNoDocumentMessage =
    "Archiwum LXF nie zawiera dokumentu LEF (pliku z rozszerzeniem .lef). Sprawdź, czy wybrano "
    "właściwy plik, i wskaż plik LXF z jednym dokumentem LEF.";
inline constexpr const char* kSeveralDocumentsMessage =
    "Archiwum LXF zawiera kilka dokumentów LEF (plików z rozszerzeniem .lef), a program może "
    "odczytać tylko jeden. Wskaż plik LXF z jednym dokumentem LEF.";
// The message for a file or folder of the user's that stands where a member must go: its full
// path goes on a line of its own between the two parts.
inline constexpr const char* kInTheWayMessage =
    "W katalogu pliku LXF jest już plik lub katalog, który przeszkadza w rozpakowaniu archiwum:";
inline constexpr const char* kInTheWayAdvice =
    "Program go nie zastąpi. Przenieś go w inne miejsce albo zmień jego nazwę i spróbuj ponownie.";
// The message for a file operation that failed while unpacking (the LXF file could not be read,
// or the folder could not be written): what failed goes on a line of its own between the parts.
inline constexpr const char* kUnpackFailedMessage =
    "Nie udało się rozpakować pliku LXF w jego katalogu:";
inline constexpr const char* kUnpackFailedAdvice =
    "Sprawdź, czy plik LXF nie jest otwarty w innym programie, czy w jego katalogu wolno "
    "zapisywać i czy na dysku jest wolne miejsce, a potem spróbuj ponownie.";
// A file that another program held for longer than the program waited: its path goes on a line
// of its own between the two parts.
inline constexpr const char* kHeldMessage =
    "Inny program używa pliku (na przykład program do obsługi zawodów, program antywirusowy "
    "albo OneDrive):";
inline constexpr const char* kHeldAdvice =
    "Zamknij ten program albo poczekaj chwilę i spróbuj ponownie.";
// A folder whose path, with the names the unpacking makes in it, is longer than the system lets
// a program use: the folder goes on a line of its own between the two parts.
inline constexpr const char* kPathTooLongMessage =
    "Ścieżka katalogu pliku LXF jest za długa, by program mógł w nim zapisać swoje pliki:";
inline constexpr const char* kPathTooLongAdvice =
    "Przenieś pliki LXF do katalogu o krótszej ścieżce (bliżej początku dysku) i spróbuj "
    "ponownie.";
inline constexpr const char* kUnpackedLeftMessage =
    "Nie udało się usunąć plików rozpakowanych z archiwum LXF. Usuń je ręcznie:";

struct UnpackResult {
  enum Kind {
    DocumentFound,     // documentPath names the unpacked LEF document
    ArchiveFailed,     // the archive could not be unpacked; the user has been told
    NoSingleDocument,  // no *.lef or several after unpacking; the user has been told
  };
  Kind kind = NoSingleDocument;
  std::string documentPath;
  std::string documentName;  // the document's member name as stored, for packing it again
};

// Refuses, after telling the user, when the LXF file's directory already holds a *.lef file.
bool DirectoryPreCheck(Prompter& prompter, const std::string& lxfPath);

// Unpacks the LXF file, read where it lies, into its own directory and looks for the single LEF
// document there. Neither the LXF file nor anything that was in the directory before is ever
// changed, and the LXF file is closed again when this returns, so the caller may replace it.
// Whatever the unpacking wrote is noted in `unpacked`, for RemoveUnpacked when the caller is
// done. `unchanged`, when not empty, ends the message about a file held by another program.
UnpackResult UnpackLxf(Prompter& prompter, const std::string& lxfPath, UnpackedFiles& unpacked,
                       const std::string& unchanged = "");

// The stop message for a file another program held too long, followed by `unchanged` if any.
void ShowHeld(Prompter& prompter, const std::string& path, const std::string& unchanged);
// The stop message for a folder whose path is too long for the system.
void ShowPathTooLong(Prompter& prompter, const std::string& folder);

// Removes what an unpacking wrote; tells the user what could not be removed.
void RemoveUnpacked(Prompter& prompter, UnpackedFiles& unpacked);
// Tells the user what could not be removed, if anything.
void TellLeftovers(Prompter& prompter, const std::vector<UnpackedFiles::Leftover>& leftovers);

}  // namespace rostrel
