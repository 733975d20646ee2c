#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/tag_balance.h"

namespace rostrel {

class Prompter;

struct ClubsReading {
  enum Kind {
    Read,            // clubsText and athleteLines hold what the document's clubs section kept
    VersionFailure,  // the user has been told; clubsText holds what was kept before the root
    Failed,          // the document could not be read or deleted; the user has been told
    Damaged,         // a quoted value runs on over the rest (balance says where); nothing is
                     // kept, and the user is yet to be told
  };
  Kind kind = Failed;
  std::string clubsText;                  // kept lines as read, each followed by CR LF
  std::string encoding;                   // the database document's encoding (DeclaredEncoding)
  std::vector<std::string> athleteLines;  // kept lines that start an athlete, as read
  // Whether the kept lines' tags balance on their own, with the document's own line numbers: a
  // paste that would insert them unbalanced is refused with this finding.
  TagBalance balance;
};

// Reads the database's unpacked LEF document and keeps its clubs section. The document's file
// is deleted on every way out.
ClubsReading ReadClubs(Prompter& prompter, const std::string& documentPath);

// The same reading over bytes already in memory; shows the version message on a version failure
// and touches no file.
ClubsReading ReadClubsText(Prompter& prompter, std::string_view document);

}  // namespace rostrel
