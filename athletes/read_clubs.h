#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/clubs_section.h"

namespace rostrel {

class Prompter;

struct ClubsReading {
  enum Kind {
    Read,            // clubs and athleteLines hold what the document's clubs section kept
    VersionFailure,  // the user has been told; clubs.text holds what was kept before the root
    Failed,          // the document could not be read; the user has been told
    Damaged,         // a quoted value runs on over the rest (balance says where); nothing is
                     // kept, and the user is yet to be told
  };
  Kind kind = Failed;
  ClubsSection clubs;
  std::vector<std::string> athleteLines;  // kept lines that start an athlete, as read
};

// Reads the database's unpacked LEF document and keeps its clubs section. The document stays
// where it is: removing it is the open action's, which knows it for the file it unpacked.
ClubsReading ReadClubs(Prompter& prompter, const std::string& documentPath);

// The same reading over bytes already in memory; shows the version message on a version failure
// and touches no file.
ClubsReading ReadClubsText(Prompter& prompter, std::string_view document);

}  // namespace rostrel
