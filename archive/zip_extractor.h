#pragma once

#include <string>

#include "archive/member_checks.h"

namespace rostrel {

// Unpacks the archive at `archive` into the existing folder `destination`, after checking every
// member (see CheckMembers). Each file is written beside its target and renamed over it, so a
// member that fails half-way leaves an older file of that name as it was. On failure `failure`
// says why; what was written before it is noted in `rules.record`, if given, each file with its
// member's stored name. The archive is closed again when this returns.
bool Unpack(const std::string& archive, const std::string& destination, UnpackRules rules,
            UnpackFailure& failure);

}  // namespace rostrel
