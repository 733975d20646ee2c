#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rostrel {

struct AthleteRecord {
  std::string lastname, firstname, birthdate, license, gender, athleteid;  // UTF-8
};

// Takes the six attributes of one athlete start line, decoded from `encoding` into UTF-8, with
// the five predefined XML entities and numeric character references resolved.
AthleteRecord ParseAthlete(std::string_view line, const std::string& encoding);

// One display line per athlete line, in order: athleteid, lastname, firstname and birthdate,
// with single blanks between them. UTF-8.
std::vector<std::string> ParseAthletes(const std::vector<std::string>& athleteLines,
                                       const std::string& encoding);

}  // namespace rostrel
