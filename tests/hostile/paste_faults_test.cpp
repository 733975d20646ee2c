// Every file operation of a paste made to fail in turn, and real conditions that make them fail:
// the entries file must afterwards be either byte for byte the old one or the whole new archive,
// never missing, partial or damaged; the user must be told why; and nothing left behind may
// block the next paste.

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
#include <cstdio>
#include <system_error>

#include "archive/unpack_lxf.h"
#include "support/actions.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// An entries folder holding a copy of the sample entries file.
struct EntriesFolder {
  TempDir root;
  std::string entries = root.file("zgloszenie.lxf");
  std::string old = ReadBytes(Example("zgloszenie-utf8.lxf"));
  EntriesFolder() { WriteBytes(entries, old); }
};

// The two failures injected below, with the phrase the user must read for each.
struct Injected {
  int code;
  std::string phrase;
};
const Injected kInjected[] = {{EACCES, "brak uprawnień do pliku lub katalogu"},
                              {ENOSPC, "brak miejsca na dysku"}};

// The program-error message of a failed file operation, as the user must see it.
bool IsProgramError(const Shown& m, const Injected& fault) {
  return m == Shown{std::string(kProgramErrorMessage) + "\r\n" + std::to_string(fault.code) + " " +
                        fault.phrase,
                    kAppTitle, Icon::None, Buttons::Ok};
}

// The next paste goes through, or, when a document was left behind that the user was told
// about, is refused by the check for LEF files; once the user has removed them, as that message
// asks, it goes through.
PasteRun PasteAgain(const std::string& entries, const Clubs& clubs, const TempDir& root) {
  PasteRun again = PasteThrough(entries, clubs);
  if (!again.replaced &&
      again.shown == std::vector<Shown>{Confirmation(), Stop(kLefFilesPresentMessage)}) {
    for (const auto& [name, content] : Snapshot(root.fs()))
      if (name.ends_with(".lef")) fs::remove(root.fs() / name);
    again = PasteThrough(entries, clubs);
  }
  return again;
}

class PasteFaults : public ::testing::Test {
 protected:
  const Clubs clubs_ = SampleClubs();
  const std::string newDocument_ = SamplePasted();

  bool HoldsNewDocument(const std::string& path) {
    const ArchiveContents now = ReadArchive(path);
    return now.whole && now.order == std::vector<std::string>{"zawody.lef"} &&
           now.members.at("zawody.lef") == newDocument_;
  }
};

TEST_F(PasteFaults, EachFailingOperationLeavesTheOldOrTheNewEntriesFile) {
  int operations = 0;
  {
    EntriesFolder folder;
    fileops::ResetFaults();
    ASSERT_TRUE(PasteThrough(folder.entries, clubs_).replaced);
    operations = fileops::CallCount();
  }
  ASSERT_GE(operations, 10);

  int oldKept = 0, newWritten = 0;
  for (const Injected& fault : kInjected) {
    const std::string& reason = fault.phrase;
    for (int k = 1; k <= operations; ++k) {
      SCOPED_TRACE("operation " + std::to_string(k) + " fails with " + reason);
      EntriesFolder folder;
      fileops::FailAtCall(k, fault.code);
      const PasteRun run = PasteThrough(folder.entries, clubs_);
      fileops::ResetFaults();

      ASSERT_GE(run.shown.size(), 2u);
      EXPECT_EQ(run.shown.front(), Confirmation());
      const Shown& last = run.shown.back();
      const bool kept = ReadBytes(folder.entries) == folder.old;
      std::printf("[ fault %2d ] %s: %s; %s\n", k, reason.c_str(), kept ? "old file" : "new file",
                  last.text.substr(0, last.text.find('\r')).c_str());
      if (kept) {
        ++oldKept;
        EXPECT_FALSE(run.replaced);
        for (const Shown& m : run.shown) EXPECT_NE(m.icon, Icon::Information) << m;
        // The user learns the system's own reason, from our message or the archive routine's.
        bool told = false;
        for (const Shown& m : run.shown) told = told || Contains(m.text, reason);
        EXPECT_TRUE(told) << ::testing::PrintToString(run.shown);
        const bool ours = last.icon == Icon::Stop && last.title == kAppTitle;
        const bool archiveRoutine =
            last.icon == Icon::Warning && (last.title == "error" || last.title == "Error");
        EXPECT_TRUE(ours || archiveRoutine || IsProgramError(last, fault)) << last;
      } else {
        ++newWritten;
        EXPECT_TRUE(HoldsNewDocument(folder.entries)) << "the entries file is damaged";
        EXPECT_TRUE(run.replaced);
        EXPECT_TRUE(last == PasteDone(folder.entries) || IsProgramError(last, fault)) << last;
      }

      // Whatever was left behind, the next paste goes through and cleans up after itself.
      const PasteRun again = PasteAgain(folder.entries, clubs_, folder.root);
      EXPECT_TRUE(again.replaced) << ::testing::PrintToString(again.shown);
      EXPECT_TRUE(HoldsNewDocument(folder.entries));
      EXPECT_EQ(Names(Snapshot(folder.root.fs())), std::vector<std::string>{"zgloszenie.lxf"});
    }
  }
  EXPECT_EQ(oldKept + newWritten, 2 * operations);
  std::printf(
      "[ summary  ] %d fallible operations x 2 error codes: %d runs kept the old entries "
      "file, %d left the whole new one, 0 damaged\n",
      operations, oldKept, newWritten);
}

// What the user sees when the k-th file operation of a paste fails, operation by operation.
TEST_F(PasteFaults, EachFailingOperationShowsItsMessage) {
  const std::string unchanged = "\r\nOperacja anulowana, plik zgłoszenia nie został zmieniony.";
  const auto programError = [](const std::string& detail) {
    return Shown{std::string(kProgramErrorMessage) + "\r\n" + detail, kAppTitle, Icon::None,
                 Buttons::Ok};
  };
  for (const Injected& fault : kInjected) {
    const std::string c = std::to_string(fault.code) + " ";
    const std::string& r = fault.phrase;
    EntriesFolder probe;
    const std::string e = probe.entries;
    const std::string d = probe.root.file("zawody.lef");
    // The messages after the confirmation, and whether the entries file is then the new one.
    const std::vector<std::pair<std::vector<Shown>, bool>> expected = {
        {{Stop("Nie można skopiować pliku " + e + " do " + e + ".zip: " + c + r)}, false},
        {{ArchiveError(r), InvalidArchive()}, false},
        {{ArchiveError(r + ": " + d), InvalidArchive()}, false},
        {{Stop("Nie można usunąć pliku " + e + ".zip: " + c + r)}, false},
        {{Stop("Nie można odczytać dokumentu LEF z pliku zgłoszenia: " + d + "\r\n" + c + r +
               unchanged)},
         false},
        {{Stop("Nie można usunąć dokumentu LEF: " + d + "\r\n" + c + r + unchanged)}, false},
        {{programError(c + r)}, false},
        {{{r, "Error", Icon::Warning, Buttons::Ok}}, false},
        {{ArchiveError(r)}, false},
        {{ArchiveError(r)}, false},
        {{programError(c + r)}, false},
        {{programError(c + r)}, true},
    };
    for (size_t k = 1; k <= expected.size(); ++k) {
      SCOPED_TRACE("operation " + std::to_string(k) + " fails with " + r);
      fs::remove_all(probe.root.fs());
      fs::create_directories(probe.root.fs());
      WriteBytes(e, probe.old);
      fileops::FailAtCall(static_cast<int>(k), fault.code);
      const PasteRun run = PasteThrough(e, clubs_);
      fileops::ResetFaults();

      std::vector<Shown> shown = expected[k - 1].first;
      shown.insert(shown.begin(), Confirmation());
      EXPECT_EQ(run.shown, shown);
      EXPECT_EQ(run.replaced, expected[k - 1].second);
      if (expected[k - 1].second) {
        EXPECT_TRUE(HoldsNewDocument(e));
      } else {
        EXPECT_EQ(ReadBytes(e), probe.old);
      }
    }
  }
}

TEST_F(PasteFaults, EachFailingOperationOfAnOpeningLeavesTheDatabaseAndAllowsAnotherTry) {
  const std::string bytes = ReadBytes(Example("baza-utf8.lxf"));
  int operations = 0;
  {
    TempDir root;
    WriteBytes(root.file("baza.lxf"), bytes);
    fileops::ResetFaults();
    ASSERT_EQ(OpenThrough(root.file("baza.lxf")).outcome.kind, OpenOutcome::AthletesFound);
    operations = fileops::CallCount();
  }
  ASSERT_GE(operations, 5);

  for (int k = 1; k <= operations; ++k) {
    SCOPED_TRACE("operation " + std::to_string(k));
    TempDir root;
    const std::string database = root.file("baza.lxf");
    WriteBytes(database, bytes);
    fileops::FailAtCall(k, EIO);
    const OpenRun run = OpenThrough(database);
    fileops::ResetFaults();
    EXPECT_NE(run.outcome.kind, OpenOutcome::AthletesFound);
    ASSERT_FALSE(run.shown.empty());
    EXPECT_EQ(ReadBytes(database), bytes);

    // Another try goes through, or is refused by the check for LEF files left in the folder;
    // then the user removes them, as that message asks, and the try after that goes through.
    OpenRun again = OpenThrough(database);
    if (again.outcome.kind == OpenOutcome::Ended &&
        again.shown == std::vector<Shown>{Stop(kLefFilesPresentMessage)}) {
      std::printf("[ note     ] after \"%s\" the next opening asks to remove the LEF files\n",
                  run.shown.back().text.c_str());
      for (const auto& [name, content] : Snapshot(root.fs()))
        if (name.ends_with(".lef")) fs::remove(root.fs() / name);
      again = OpenThrough(database);
    }
    EXPECT_EQ(again.outcome.kind, OpenOutcome::AthletesFound)
        << ::testing::PrintToString(again.shown);
  }
}

// A folder stands where the new archive must be written.
TEST_F(PasteFaults, FolderInPlaceOfTheNewArchive) {
#ifdef _WIN32
  GTEST_SKIP()
      << "Windows file names ignore letter case: the folder X.ZIP also blocks the copy X.zip";
#endif
  EntriesFolder folder;
  fs::create_directory(fileops::FsPath(folder.entries + ".ZIP"));

  const PasteRun run = PasteThrough(folder.entries, clubs_);

  EXPECT_FALSE(run.replaced);
  EXPECT_EQ(run.shown, (std::vector<Shown>{
                           Confirmation(),
                           {"w miejscu pliku jest katalog", "Error", Icon::Warning, Buttons::Ok}}));
  EXPECT_EQ(Snapshot(folder.root.fs()),
            (Tree{{"zgloszenie.lxf", folder.old}, {"zgloszenie.lxf.ZIP", "<folder>"}}));
}

// A folder stands where the copy of the entries file must go before unpacking.
TEST_F(PasteFaults, FolderInPlaceOfTheArchiveCopy) {
  EntriesFolder folder;
  fs::create_directory(fileops::FsPath(folder.entries + ".zip"));

  const PasteRun run = PasteThrough(folder.entries, clubs_);

  EXPECT_FALSE(run.replaced);
  ASSERT_EQ(run.shown.size(), 2u);
  EXPECT_EQ(run.shown[1].icon, Icon::Stop);
  EXPECT_TRUE(run.shown[1].text.starts_with("Nie można skopiować pliku " + folder.entries + " do " +
                                            folder.entries + ".zip: "))
      << run.shown[1];
  EXPECT_TRUE(run.shown[1].text.ends_with(" w miejscu pliku jest katalog")) << run.shown[1];
  EXPECT_EQ(Snapshot(folder.root.fs()),
            (Tree{{"zgloszenie.lxf", folder.old}, {"zgloszenie.lxf.zip", "<folder>"}}));
}

// A folder stands where the unpacked document must go: the archive routine refuses to unpack.
TEST_F(PasteFaults, FolderInPlaceOfTheDocument) {
  EntriesFolder folder;
  fs::create_directory(folder.root.fs() / "zawody.lef");

  const PasteRun run = PasteThrough(folder.entries, clubs_);

  EXPECT_FALSE(run.replaced);
  EXPECT_EQ(run.shown,
            (std::vector<Shown>{
                Confirmation(),
                ArchiveError("Element archiwum zastąpiłby plik, który już jest w katalogu: "
                             "zawody.lef"),
                InvalidArchive()}));
  EXPECT_EQ(Snapshot(folder.root.fs()),
            (Tree{{"zgloszenie.lxf", folder.old}, {"zawody.lef", "<folder>"}}));
}

// A file-size limit makes the writing of the new document fail for real, half-way.
TEST_F(PasteFaults, WriteThatBreaksOffHalfWay) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no per-process file-size limit (RLIMIT_FSIZE) to break a write";
#else
  EntriesFolder folder;
  ASSERT_GT(newDocument_.size(), 3000u);
  ASSERT_LT(EntriesDocument().size(), 3000u);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limit = saved;
  limit.rlim_cur = 3000;
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
  const PasteRun run = PasteThrough(folder.entries, clubs_);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);

  EXPECT_FALSE(run.replaced);
  EXPECT_EQ(run.shown, (std::vector<Shown>{Confirmation(),
                                           {std::string(kProgramErrorMessage) + "\r\n" +
                                                std::to_string(EFBIG) + " plik jest za duży",
                                            kAppTitle, Icon::None, Buttons::Ok}}));
  EXPECT_EQ(Snapshot(folder.root.fs()), (Tree{{"zgloszenie.lxf", folder.old}}));
#endif
}

// A folder the user may read but not write: the paste ends before anything is written.
TEST_F(PasteFaults, ReadOnlyFolder) {
  EntriesFolder folder;
  fs::permissions(folder.root.fs(), fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
  AsOrdinaryUser([&] {
    const PasteRun run = PasteThrough(folder.entries, clubs_);
    std::string failure;
    if (run.replaced) failure += "the paste reports success; ";
    if (run.shown.size() != 2 || run.shown[1].icon != Icon::Stop ||
        !Contains(run.shown[1].text, "brak uprawnień do pliku lub katalogu")) {
      failure += "shown: " + ::testing::PrintToString(run.shown) + "; ";
    }
    if (Snapshot(folder.root.fs()) != Tree{{"zgloszenie.lxf", folder.old}})
      failure += "the folder changed";
    return failure;
  });
}

// Another program holds the entries file open without sharing it, as Windows lets a program do:
// with no sharing at all the file cannot even be copied for unpacking; shared for reading only,
// it cannot be replaced at the end. Either way the paste ends with the reason, the entries file
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

    EXPECT_FALSE(run.replaced);
    ASSERT_EQ(run.shown.size(), 2u) << ::testing::PrintToString(run.shown);
    const std::string& told = run.shown[1].text;
    EXPECT_TRUE(told.ends_with(" plik jest używany przez inny program") ||
                told.ends_with(" brak uprawnień do pliku lub katalogu"))
        << told;
    if (share == 0) {
      EXPECT_TRUE(told.starts_with("Nie można skopiować pliku " + folder.entries)) << told;
    } else {
      EXPECT_TRUE(told.starts_with("Wystąpił błąd programu - skontaktuj się z autorem\r\n"))
          << told;
    }
    std::printf("[ held     ] %s: %s\n", share ? "shared for reading" : "not shared", told.c_str());
    EXPECT_EQ(Snapshot(folder.root.fs()), (Tree{{"zgloszenie.lxf", folder.old}}));
  }
#endif
}

}  // namespace
}  // namespace rostrel::testing
