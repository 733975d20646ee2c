#pragma once

#include <gtest/gtest.h>
#ifndef _WIN32
#include <grp.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "archive/modlxf.h"
#include "archive/unpack.h"
#include "athletes/open_action.h"
#include "athletes/read_clubs.h"
#include "common/fileops.h"
#include "entries/paste_action.h"
#include "entries/rewrite_entries.h"
#include "hostile/zip_tools.h"
#include "support/fake_prompter.h"
#include "support/temp_dir.h"

// Shared ground for the hostile-input tests: the sample documents, the two actions driven
// through the scripted user, and snapshots of a folder tree to prove what did or did not change.
namespace rostrel::testing {

inline std::string Example(const std::string& name) {
  return std::string(ROSTREL_EXAMPLES_DIR) + "/" + name;
}
inline std::string DatabaseDocument() { return OnlyMember(Example("baza-utf8.lxf")); }
inline std::string EntriesDocument() { return OnlyMember(Example("zgloszenie-utf8.lxf")); }

// A message as the user saw it, comparable and printable.
struct Shown {
  std::string text;
  std::string title;
  Icon icon = Icon::None;
  Buttons buttons = Buttons::Ok;
  bool operator==(const Shown&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Shown& m) {
  static const char* icons[] = {"none", "stop", "warning", "information"};
  return os << "{\"" << m.text << "\", \"" << m.title << "\", " << icons[int(m.icon)] << ", "
            << (m.buttons == Buttons::Ok ? "OK" : "OK/Cancel") << "}";
}

inline std::vector<Shown> ShownMessages(const FakePrompter& prompter) {
  std::vector<Shown> shown;
  for (const auto& m : prompter.messages) shown.push_back({m.text, m.title, m.icon, m.buttons});
  return shown;
}

inline Shown Stop(const std::string& text) { return {text, kAppTitle, Icon::Stop, Buttons::Ok}; }
inline Shown ArchiveError(const std::string& text) {
  return {text, "error", Icon::Warning, Buttons::Ok};
}
inline Shown Confirmation() {
  return {kConfirmText, kConfirmTitle, Icon::None, Buttons::OkCancel};
}
inline Shown InvalidArchive() { return Stop(kInvalidArchiveMessage); }
inline Shown PasteDone(const std::string& path) {
  return {kPasteDoneMessage + path, kAppTitle, Icon::Information, Buttons::Ok};
}

// Every file and folder under a root, by relative path: file contents, or a mark for folders
// and links.
using Tree = std::map<std::string, std::string>;

inline Tree Snapshot(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  Tree tree;
  for (fs::recursive_directory_iterator it(root), end; it != end; ++it) {
    const std::string name = fileops::Utf8(it->path().lexically_relative(root).generic_u8string());
    if (it->is_symlink()) {
      tree[name] = "<link>";
    } else if (it->is_directory()) {
      tree[name] = "<folder>";
    } else {
      std::string bytes;
      FileError err;
      fileops::ReadFile(fileops::Utf8(it->path()), bytes, err);
      tree[name] = bytes;
    }
  }
  return tree;
}

inline std::vector<std::string> Names(const Tree& tree) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : tree) names.push_back(name);
  return names;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  FileError err;
  ASSERT_TRUE(fileops::WriteFile(path, bytes, err)) << path << ": " << err.text;
}

inline std::string ReadBytes(const std::string& path) {
  std::string bytes;
  FileError err;
  if (!fileops::ReadFile(path, bytes, err)) return "<unreadable: " + err.text + ">";
  return bytes;
}

// The sample database's clubs section, as the open action leaves it in the window.
struct Clubs {
  std::string text;
  std::string encoding;
};

inline Clubs ClubsOf(const std::string& document) {
  FakePrompter quiet;
  const ClubsReading reading = ReadClubsText(quiet, document);
  return {reading.clubsText, reading.encoding};
}

struct OpenRun {
  OpenOutcome outcome;
  std::vector<Shown> shown;
};

inline OpenRun OpenThrough(const std::string& path) {
  FakePrompter prompter;
  prompter.picks.push_back(path);
  FileDialogSettings comIN;
  OpenRun run;
  run.outcome = OpenDatabase(prompter, comIN);
  run.shown = ShownMessages(prompter);
  return run;
}

struct PasteRun {
  bool replaced = false;
  std::vector<Shown> shown;
};

inline PasteRun PasteThrough(const std::string& path, const Clubs& clubs,
                             const std::string& dbFile = "/nowhere/baza.lxf") {
  FakePrompter prompter;
  prompter.picks.push_back(path);
  prompter.answers.push_back(Answer::Ok);
  FileDialogSettings comIN;
  PasteRun run;
  run.replaced = PasteEntries(prompter, comIN, dbFile, clubs.text, clubs.encoding);
  run.shown = ShownMessages(prompter);
  return run;
}

// The document a successful paste of `clubs` into `entriesDocument` writes.
inline std::string PastedDocument(const std::string& entriesDocument, const Clubs& clubs) {
  FakePrompter quiet;
  return RewriteEntriesText(quiet, entriesDocument, clubs.text, clubs.encoding).text;
}

// Runs `check` with the permissions of an ordinary user; it returns "" when all held, or what
// went wrong. As root (CI runs the tests as root, and root may write anywhere) it runs in a child
// process that has become the user "nobody".
template <class Check>
void AsOrdinaryUser([[maybe_unused]] Check check) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no setuid/setgroups to drop rights, and ignores read-only folders";
#else
  if (geteuid() != 0) {
    EXPECT_EQ(check(), "");
    return;
  }
  ::testing::FLAGS_gtest_death_test_style = "fast";
  EXPECT_EXIT(
      {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        const std::string failure = check();
        std::fprintf(stderr, "%s\n", failure.c_str());
        _exit(failure.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
#endif
}

// Every test here runs the archive routines without their one-second pause.
class NoPause : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ShellZipPause();
    SetShellZipPause(std::chrono::milliseconds(0));
    fileops::ResetFaults();
  }
  void TearDown() override {
    SetShellZipPause(saved_);
    fileops::ResetFaults();
  }

 private:
  std::chrono::milliseconds saved_{};
};

}  // namespace rostrel::testing
