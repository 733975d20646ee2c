#pragma once

#include <string>
#include <string_view>

namespace rostrel {

// Packing for ShellZip. Each builds a whole ZIP archive in memory, into `archive`, for the caller
// to write into a file of its own: libzip then makes no file, no temporary file and no rename of
// its own in the user's folder. On failure `failure` says why, in Polish.

// The file `file`, under `name`, at the archive's top. The name's bytes are stored as they are;
// libzip marks them as UTF-8 when they are valid UTF-8 and not plain ASCII, so a name in the
// program's UTF-8 gets the mark and one kept from an archive in a Windows code page does not.
bool PackFile(const std::string& file, const std::string& name, std::string& archive,
              std::string& failure);

// The same for bytes already in memory.
bool PackText(std::string_view text, const std::string& name, std::string& archive,
              std::string& failure);

// What the folder `folder` holds (not the folder itself), below the archive's top, leaving out
// the file `skip` (the archive being written, when it lies in the folder). An empty folder gives
// an empty `archive`: the caller keeps its empty archive as it is.
bool PackFolder(const std::string& folder, const std::string& skip, std::string& archive,
                std::string& failure);

}  // namespace rostrel
