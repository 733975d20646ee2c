#pragma once

#include <string>

#include "common/tag_balance.h"

namespace rostrel {

// What reading a database found of its clubs section, as one value: the open makes it, the
// window keeps it, and the paste takes it whole, so that no paste can take the lines without
// what the reading found of them.
struct ClubsSection {
  std::string text;      // the kept lines as read, each followed by CR LF
  std::string encoding;  // the database document's encoding (DeclaredEncoding)
  // Whether the kept lines' tags balance on their own, with the document's own line numbers: a
  // paste that would insert them unbalanced is refused with this finding.
  TagBalance balance;
};

}  // namespace rostrel
