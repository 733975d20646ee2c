// Pastes a clubs section into an entries file, as the paste button does, with the user's
// answers scripted: the crash test starts this program and kills it at a random moment.
//
//   paste_victim ENTRIES_FILE CLUBS_FILE CLUBS_ENCODING
//
// Writes one byte to standard output when it is about to start the paste ("R"), so that the killer
// can time its signal from there, and one when the paste has ended: "P" when the entries file was
// replaced, "N" when it was not. The exit code says the same (0 or 1), but the byte is written
// before the program ends, so the killer can trust it even where ending a program may fail.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "archive/shell_zip.h"
#include "common/fileops.h"
#include "entries/paste_action.h"
#include "support/fake_prompter.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s ENTRIES_FILE CLUBS_FILE CLUBS_ENCODING\n", argv[0]);
    return 2;
  }
  std::string clubs;
  rostrel::FileError err;
  if (!rostrel::fileops::ReadFile(argv[2], clubs, err)) {
    std::fprintf(stderr, "%s: %s\n", argv[2], Describe(err).c_str());
    return 2;
  }
  rostrel::SetShellZipPause(std::chrono::milliseconds(0));
  rostrel::testing::FakePrompter prompter;
  prompter.picks.push_back(argv[1]);
  prompter.answers.push_back(rostrel::Answer::Ok);
  rostrel::FileDialogSettings comIN;

  if (::write(STDOUT_FILENO, "R", 1) != 1) return 2;
  const bool replaced =
      rostrel::PasteEntries(prompter, comIN, "/nowhere/baza.lxf", {clubs, argv[3], {}});
  if (::write(STDOUT_FILENO, replaced ? "P" : "N", 1) != 1) return 2;
  for (const auto& m : prompter.messages) std::fprintf(stderr, "%s\n", m.text.c_str());
  return replaced ? 0 : 1;
}
