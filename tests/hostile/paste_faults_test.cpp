// Real conditions that make a paste's file operations fail (each operation failing in turn is
// swept at the paste action): the entries file must afterwards be byte for byte the old one, the
// user must be told why, and nothing of ours may be left behind.

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <random>

#include "support/actions.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

namespace fs = std::filesystem;

// An entries folder holding a copy of the sample entries file.
struct EntriesFolder {
  TempDir root;
  std::string entries = root.file("zgloszenie.lxf");
  std::string old = ReadBytes(Example("zgloszenie-utf8.lxf"));
  EntriesFolder() { WriteBytes(entries, old); }
};

class PasteFaults : public ::testing::Test {
 protected:
  const Clubs clubs_ = SampleClubs();
};

// A file-size limit makes a write fail for real, half-way: the unpacking of the entries document,
// or, with clubs that pack worse than the old document, the writing of the new archive. The
// half-written file goes, and the user hears why.
TEST_F(PasteFaults, WriteThatBreaksOffHalfWay) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no per-process file-size limit (RLIMIT_FSIZE) to break a write";
#else
  std::minstd_rand random(1);
  std::string letters(8000, ' ');
  for (char& c : letters) c = static_cast<char>('a' + random() % 26);
  Clubs unpackable = clubs_;
  unpackable.text.insert(unpackable.text.find("<CLUB ") + 6, "x=\"" + letters + "\" ");
  ASSERT_GT(EntriesDocument().size(), 1000u);
  ASSERT_LT(EntriesDocument().size(), 4000u);
  const std::string tooBig = "plik jest za duży: ";
  for (const auto& [limit, pasted] : {std::pair{1000, clubs_}, std::pair{4000, unpackable}}) {
    SCOPED_TRACE(limit);
    EntriesFolder folder;
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(limit);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &lowered);
    const PasteRun run = PasteThrough(folder.entries, pasted);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);

    EXPECT_FALSE(run.replaced);
    EXPECT_EQ(run.shown,
              (std::vector<Shown>{Confirmation(),
                                  limit == 1000 ? UnpackFailed(tooBig + folder.root.file("zawody.lef"))
                                                : ArchiveError(tooBig + folder.root.path())}));
    EXPECT_EQ(Snapshot(folder.root.fs()), (Tree{{"zgloszenie.lxf", folder.old}}));
  }
#endif
}

// In a shared folder with the sticky bit (as /tmp is), a user may write another's entries file
// but not replace it: the rename fails for real, the entries file stays as it was, and nothing of
// the paste is left.
TEST_F(PasteFaults, ReplacementRefusedInAStickyFolder) {
  EntriesFolder folder;
  fs::permissions(folder.root.fs(), fs::perms::all | fs::perms::sticky_bit);
  fs::permissions(fileops::FsPath(folder.entries), fs::perms::all, fs::perm_options::add);
  AsOrdinaryUser([&] {
    const PasteRun run = PasteThrough(folder.entries, clubs_);
    std::string failure;
    if (run.shown != std::vector<Shown>{Confirmation(),
                                        ProgramError(std::to_string(EPERM) +
                                                     " brak uprawnień do pliku lub katalogu")})
      failure += "shown: " + ::testing::PrintToString(run.shown) + "; ";
    if (Snapshot(folder.root.fs()) != Tree{{"zgloszenie.lxf", folder.old}})
      failure += "the folder changed";
    return failure;
  });
}

// Another program holds the entries file open without sharing it, as Windows lets a program do:
// with no sharing at all the file cannot even be read for unpacking; shared for reading only, it
// cannot be replaced at the end. Either way the paste ends with the reason, the entries file
// stays as it was and nothing of ours is left.
TEST_F(PasteFaults, EntriesFileHeldOpenByAnotherProgram) {
#ifndef _WIN32
  GTEST_SKIP() << "POSIX has no mandatory locks: a file open elsewhere can always be replaced";
#else
  for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    SCOPED_TRACE(share ? "shared for reading" : "not shared");
    EntriesFolder folder;
    const HANDLE held = CreateFileW(fileops::FsPath(folder.entries).c_str(), GENERIC_READ, share,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const PasteRun run = PasteThrough(folder.entries, clubs_);
    CloseHandle(held);

    // Not shared, the file cannot be opened for unpacking: it is in use. Shared for reading, it
    // is unpacked, but the rename over it is denied.
    EXPECT_FALSE(run.replaced);
    const Shown told = share ? ProgramError("5 brak uprawnień do pliku lub katalogu")
                             : UnpackFailed("plik jest używany przez inny program: " +
                                            folder.entries);
    EXPECT_EQ(run.shown, (std::vector<Shown>{Confirmation(), told}));
    EXPECT_EQ(Snapshot(folder.root.fs()), (Tree{{"zgloszenie.lxf", folder.old}}));
  }
#endif
}

}  // namespace
}  // namespace rostrel::testing
