#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "athletes/open_action.h"
#include "common/fileops.h"
#include "entries/paste_action.h"
#include "support/fake_prompter.h"
#include "support/sample_documents.h"
#include "support/zip_files.h"

#ifndef _WIN32
#include <grp.h>
#include <unistd.h>
#endif

// The two actions driven through the scripted user, on the sample files of examples/.
namespace rostrel::testing {

inline std::string Example(const std::string& name) {
  return std::string(ROSTREL_EXAMPLES_DIR) + "/" + name;
}
inline std::string DatabaseDocument() { return OnlyMember(Example("baza-utf8.lxf")); }
inline std::string EntriesDocument() { return OnlyMember(Example("zgloszenie-utf8.lxf")); }

// A database's clubs section, as the open action leaves it in the window.
using Clubs = ClubsSection;

// The sample database's, written out.
inline Clubs SampleClubs() { return {samples::ClubsText(samples::kUtf8), "UTF-8", {}}; }

// The sample entries document after a paste of the sample clubs section, written out.
inline std::string SamplePasted() { return samples::Pasted(samples::kUtf8); }

struct OpenRun {
  OpenOutcome outcome;
  std::vector<Shown> shown;
};

// "Otwórz plik LXF (baza zawodników)", picking `path`.
inline OpenRun OpenThrough(const std::string& path) {
  FakePrompter prompter;
  prompter.picks.push_back(path);
  FileDialogSettings comIN;
  OpenRun run;
  run.outcome = OpenDatabase(prompter, comIN);
  run.shown = prompter.messages;
  return run;
}

struct PasteRun {
  bool replaced = false;
  std::vector<Shown> shown;
};

// "Wklej zawodników do pliku zgłoszenia LXF", picking `path` and confirming.
inline PasteRun PasteThrough(const std::string& path, const Clubs& clubs,
                             const std::string& dbFile = "/nowhere/baza.lxf") {
  FakePrompter prompter;
  prompter.picks.push_back(path);
  prompter.answers.push_back(Answer::Ok);
  FileDialogSettings comIN;
  PasteRun run;
  run.replaced = PasteEntries(prompter, comIN, dbFile, clubs);
  run.shown = prompter.messages;
  return run;
}

// Sweeps the counted file operations of one action: `inject(k)` arms the k-th (to fail, or to
// let another program act just before it), for k = 1, 2, ... in turn, until a run makes fewer
// than k of them and so runs untouched. `rows` says what each run must do: one row per
// operation, in the order the action makes them, and last one for the untouched run. Before each
// run `prepare` lays out the files; `act` runs the action, the only part under the fault;
// `check(row)` then looks at what it did.
template <class Inject, class Row, class Prepare, class Act, class Check>
void SweepFileOperations(Inject inject, const std::vector<Row>& rows, Prepare prepare, Act act,
                         Check check) {
  for (size_t k = 1;; ++k) {
    SCOPED_TRACE("operation " + std::to_string(k));
    prepare();
    inject(static_cast<int>(k));
    act();
    const bool fired = fileops::CallCount() >= static_cast<int>(k);
    fileops::ResetFaults();
    if (fired && k >= rows.size()) {
      ADD_FAILURE() << "no row for operation " << k;
      return;
    }
    if (!fired && k != rows.size()) {
      ADD_FAILURE() << "the action made " << k - 1 << " file operations, the table has rows for "
                    << rows.size() - 1;
      return;
    }
    check(rows[k - 1]);
    if (!fired) return;
  }
}

// The same, with the k-th operation failing with the errno `code`.
template <class Row, class Prepare, class Act, class Check>
void SweepFileFaults(int code, const std::vector<Row>& rows, Prepare prepare, Act act,
                     Check check) {
  SCOPED_TRACE("failing with " + std::to_string(code));
  SweepFileOperations([code](int k) { fileops::FailAtCall(k, code); }, rows, prepare, act, check);
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

}  // namespace rostrel::testing
