#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "common/fileops.h"
#include "gui_helpers.h"
#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/sample_documents.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace rostrel::testing {

// The athletes of examples/baza-*.lxf as the left list shows them.
inline const std::vector<std::string>& kBazaLines = samples::kDisplayLines;

// A shown main window driven by a scripted user, with a temporary folder for its files.
class WindowTest : public ::testing::Test {
 public:
  void SetUp() override { window.show(); }

  // A folder of its own under the temporary folder, made on first use; ends in "/".
  std::string Folder(const std::string& name) {
    std::filesystem::create_directories(dir.fs() / fileops::FsPath(name));
    return dir.path() + name + "/";
  }

  // Copies a sample file into a folder of its own and returns the copy's path.
  std::string Example(const std::string& name, const std::string& folder) {
    const std::string to = Folder(folder) + name;
    std::filesystem::copy_file(fileops::FsPath(std::string(ROSTREL_EXAMPLES_DIR) + "/" + name),
                               fileops::FsPath(to),
                               std::filesystem::copy_options::overwrite_existing);
    return to;
  }

  // "Otwórz plik LXF (baza zawodników)", picking `path` ("" cancels the dialog).
  void Open(const std::string& path) {
    if (!path.empty()) prompter.picks.push_back(path);
    Click(window, "CmdOpenIN");
    prompter.picks.clear();
  }

  // "Wklej zawodników do pliku zgłoszenia LXF", picking `path` and answering the confirmation.
  void Paste(const std::string& path, Answer confirm = Answer::Ok) {
    if (!path.empty()) prompter.picks.push_back(path);
    prompter.answers.push_back(confirm);
    Click(window, "CmdSaveOUT");
    prompter.picks.clear();
    prompter.answers.clear();
  }

  TempDir dir{"rostrel-app"};
  FakePrompter prompter;
  frmMain window{prompter};
};

}  // namespace rostrel::testing
