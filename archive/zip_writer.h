#pragma once

#include <string>

namespace rostrel {

// Packing for ShellZip: both add to the archive at `archive`, which must already exist (the
// empty one), and flush the finished archive to the disk. On failure `failure` says why, in
// Polish.

// The file `file`, under its own name, at the archive's top.
bool PackFile(const std::string& file, const std::string& archive, std::string& failure);

// What the folder `folder` holds (not the folder itself), below the archive's top. An empty
// folder leaves the empty archive as it is.
bool PackFolder(const std::string& folder, const std::string& archive, std::string& failure);

}  // namespace rostrel
