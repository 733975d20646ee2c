#pragma once

#include <string>

namespace rostrel {

// Packing for ShellZip: both add to the archive at `archive`, which must already exist (the
// empty one), and flush the finished archive to the disk. On failure `failure` says why, in
// Polish.

// The file `file`, under `name`, at the archive's top. The name's bytes are stored as they are;
// libzip marks them as UTF-8 when they are valid UTF-8 and not plain ASCII, so a name in the
// program's UTF-8 gets the mark and one kept from an archive in a Windows code page does not.
bool PackFile(const std::string& file, const std::string& name, const std::string& archive,
              std::string& failure);

// What the folder `folder` holds (not the folder itself), below the archive's top. An empty
// folder leaves the empty archive as it is.
bool PackFolder(const std::string& folder, const std::string& archive, std::string& failure);

}  // namespace rostrel
