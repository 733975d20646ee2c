#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "common/fileops.h"

namespace rostrel::testing {

// A fresh directory under the system's temporary folder, removed with everything in it when
// the object goes. path() ends in the separator, as the program's directories do.
class TempDir {
 public:
  explicit TempDir(const std::string& name = "rostrel-test") {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    do {
      dir_ = base / fileops::FsPath(name + "-" + std::to_string(rd()));
    } while (std::filesystem::exists(dir_));
    std::filesystem::create_directories(dir_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path() const { return fileops::Utf8(dir_) + "/"; }
  std::string file(const std::string& name) const { return path() + name; }
  const std::filesystem::path& fs() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

}  // namespace rostrel::testing
