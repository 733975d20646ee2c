#pragma once

#include <string>
#include <vector>

#include "common/clubs_section.h"
#include "common/prompter.h"

namespace rostrel {

inline constexpr const char* kNoAthletesMessage = "We wskazanym pliku LXF nie ma bazy zawodników";

// What a click on "Otwórz plik LXF (baza zawodników)" ends in; the window applies it.
struct OpenOutcome {
  // Every kind but AthletesFound leaves both lists empty and >> and the paste disabled;
  // AthletesFound fills lstIN and enables >>. The paste waits for >> in every case.
  enum Kind {
    NoPath,          // the dialog yielded no path
    Ended,           // the pre-check, the unpacking, a file operation, a quoted value that
                     // runs on, an encoding the program does not handle, or an unforeseen error
    VersionFailure,  // the document names the wrong LENEX version
    NoAthletes,      // read, but without athletes; the message has been shown
    AthletesFound,   // displayLines go into lstIN
  };
  Kind kind = Ended;
  std::string dbFile;         // the window's new DbFile (empty for NoPath)
  bool clubsChanged = false;  // when true, `clubs` replaces the window's ClubsText
  ClubsSection clubs;
  std::vector<std::string> displayLines;
};

// The open action: asks for the database with `comIN`, unpacks it beside itself, reads its
// clubs section and parses its athletes.
OpenOutcome OpenDatabase(Prompter& prompter, FileDialogSettings& comIN);

}  // namespace rostrel
