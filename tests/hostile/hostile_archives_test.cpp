// Hostile LXF archives, chosen by the user in both actions: each must end in the outcome the
// user is meant to see, write nothing outside the chosen file's folder and leave the chosen
// file as it was.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdio>
#include <functional>

#include "archive/unpack_lxf.h"
#include "support/actions.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

namespace fs = std::filesystem;

// Where the chosen file lies, relative to the test's root folder.
constexpr const char* kRoom = "klub";
constexpr const char* kFile = "plik.lxf";

struct ArchiveCase {
  std::string name;
  // Builds the archive around the document it should carry (the database's or the entries
  // file's, under the member name `member`); `root` is the test's root folder, which lies
  // outside the chosen file's folder.
  std::function<std::string(const std::string& document, const std::string& member,
                            const std::string& root)>
      build;
  enum Outcome {
    Refused,     // the archive routine's description, then the invalid-archive message
    NoDocument,  // no LEF document at the top of the archive: the action says so and ends
    Works,       // the action goes through as with a good archive
  } outcome;
  // For Refused: the description the user sees, with '@' standing for the member's name;
  // `exact` tells whether it must match whole or only contain this text.
  std::string detail = {};
  bool exact = true;
};

std::ostream& operator<<(std::ostream& os, const ArchiveCase& c) { return os << c.name; }

std::string Good(const std::string& document, const std::string& member) {
  return BuildZip(member, document);
}

std::string Cut(const std::string& bytes, double fraction) {
  return bytes.substr(0, static_cast<size_t>(bytes.size() * fraction));
}

constexpr const char* kNotZip = "nieprawidłowe lub uszkodzone archiwum ZIP";
const std::string kBadName = "Niedozwolona nazwa w archiwum: ";
const std::string kTooBig = "Element archiwum jest za duży (ponad 1 GiB): ";
const std::string kWouldReplace = "Element archiwum zastąpiłby rozpakowywany plik: ";
const std::string kLargerThanDeclared = "Element archiwum jest większy, niż podaje archiwum: ";

std::vector<ArchiveCase> Cases() {
  using C = ArchiveCase;
  const auto cut = [](double fraction) {
    return [fraction](const std::string& d, const std::string& m, const std::string&) {
      return Cut(Good(d, m), fraction);
    };
  };
  const auto named = [](std::string name) {
    return [name](const std::string& d, const std::string&, const std::string&) {
      return BuildZip(name, d);
    };
  };
  return {
      {"NotAZipFile",
       [](auto&, auto&, auto&) { return std::string("<LENEX version=\"3.0\">\r\nto nie ZIP\r\n"); },
       C::Refused, kNotZip},
      {"ZeroBytes", [](auto&, auto&, auto&) { return std::string(); }, C::Refused, kNotZip},
      {"TruncatedToTenPercent", cut(0.1), C::Refused, kNotZip},
      {"TruncatedToHalf", cut(0.5), C::Refused, kNotZip},
      {"LastByteMissing", cut(0.999), C::Refused, kNotZip},
      {"DeflateStreamCutShort",
       [](const std::string& d, const std::string& m, auto&) {
         RawMember member = Member(m, d);
         member.stored = Deflate(d).substr(0, 200);
         return BuildZip({member});
       },
       C::Refused, "uszkodzone dane w archiwum ZIP (niezgodna suma kontrolna): @"},
      {"ParentInName", named("../uciekinier.lef"), C::Refused, kBadName + "../uciekinier.lef"},
      {"ParentDeeperInName", named("a/b/../../../uciekinier.lef"), C::Refused,
       kBadName + "a/b/../../../uciekinier.lef"},
      {"ParentWithBackslashes", named("..\\uciekinier.lef"), C::Refused,
       kBadName + "..\\uciekinier.lef"},
      {"AbsoluteName",
       [](const std::string& d, auto&, const std::string& root) {
         return BuildZip(root + "uciekinier.lef", d);
       },
       C::Refused, kBadName, false},
      {"AbsoluteNameWithBackslash", named("\\uciekinier.lef"), C::Refused,
       kBadName + "\\uciekinier.lef"},
      {"DriveWithBackslash", named("C:\\uciekinier.lef"), C::Refused,
       kBadName + "C:\\uciekinier.lef"},
      {"DriveRelative", named("c:uciekinier.lef"), C::Refused, kBadName + "c:uciekinier.lef"},
      {"DriveWithSlash", named("D:/zawody/uciekinier.lef"), C::Refused,
       kBadName + "D:/zawody/uciekinier.lef"},
#ifdef _WIN32
      // On Windows a backslash separates folders: the document lands in a subfolder, where no
      // LEF document is looked for.
      {"BackslashInsideName", named("stare\\dokument.lef"), C::NoDocument},
#else
      // On POSIX a backslash is an ordinary character of a file name: the member lands in the
      // folder under that odd name, and nowhere else.
      {"BackslashInsideName",
       [](const std::string& d, const std::string& m, auto&) { return BuildZip("stare\\" + m, d); },
       C::Works},
#endif
      {"EncryptedMember",
       [](const std::string& d, const std::string& m, auto&) {
         RawMember member = Member(m, d);
         member.flags |= 1;
         return BuildZip({member});
       },
       C::Refused, "Zaszyfrowany element archiwum: @"},
      {"UnsupportedMethod",
       [](const std::string& d, const std::string& m, auto&) {
         RawMember member = Member(m, d);
         member.method = 6;  // imploded, a method of the 1990s
         member.stored = d;
         return BuildZip({member});
       },
       C::Refused, "Nieobsługiwana metoda kompresji (6) elementu archiwum: @"},
      {"Zip64Archive",
       [](const std::string& d, const std::string& m, auto&) {
         RawMember member = Member(m, d);
         member.zip64 = true;
         return BuildZip({member});
       },
       C::Works},
      {"Zip64MemberOfFiveGiB",
       [](const std::string& d, const std::string& m, auto&) {
         RawMember member = Member(m, d);
         member.zip64 = true;
         member.uncompressedSize = 5ll << 30;
         return BuildZip({member});
       },
       C::Refused, kTooBig + "@"},
      {"MemberLargerThanDeclared",
       [](const std::string& d, const std::string& m, auto&) {
         RawMember member = Member(m, d + std::string(4 << 20, ' '));
         member.uncompressedSize = static_cast<int64_t>(d.size());
         return BuildZip({member});
       },
       C::Refused, kLargerThanDeclared + "@"},
      {"DeflateBombDeclaredHonestly",
       [](auto&, const std::string& m, auto&) {
         RawMember member = Member(m, "");
         member.stored = ZeroBomb(1100);
         member.crc = 0;
         member.uncompressedSize = 1100ll << 20;
         return BuildZip({member});
       },
       C::Refused, kTooBig + "@"},
      {"DeflateBombDeclaredSmall",
       [](auto&, const std::string& m, auto&) {
         RawMember member = Member(m, "");
         member.stored = ZeroBomb(1100);
         member.crc = 0;
         member.uncompressedSize = 1 << 20;
         return BuildZip({member});
       },
       C::Refused, kLargerThanDeclared + "@"},
      {"TenThousandMembers",
       [](const std::string& d, const std::string& m, auto&) {
         std::vector<RawMember> members;
         for (int i = 1; i < 10000; ++i) {
           char name[32];
           std::snprintf(name, sizeof name, "m%05d.txt", i);
           members.push_back(Member(name, "x", 0));
         }
         members.push_back(Member(m, d));
         return BuildZip(members);
       },
       C::Works},
      {"SameNameTwice",
       [](const std::string& d, const std::string& m, auto&) {
         return BuildZip({Member(m, d), Member(m, "<inny dokument/>\r\n")});
       },
       C::Refused, "Powtórzona nazwa w archiwum: @"},
      {"SameNameThroughDot",
       [](const std::string& d, const std::string& m, auto&) {
         return BuildZip({Member(m, d), Member("./" + m, "<inny dokument/>\r\n")});
       },
       C::Refused, "Powtórzona nazwa w archiwum: ./@"},
      {"DirectoryNamedLef", [](auto&, auto&, auto&) { return BuildZip({Member("x.lef/", "")}); },
       C::NoDocument},
      {"DirectoryNamedLefBesideDocument",
       [](const std::string& d, const std::string& m, auto&) {
         return BuildZip({Member("x.lef/", ""), Member(m, d)});
       },
       C::Works},
      {"DocumentInSubfolder", named("sub/dokument.lef"), C::NoDocument},
      // The archive's own file, and the copy being unpacked, lie in the folder that receives
      // the members: a member of the same name must not replace them.
      {"MemberNamedLikeTheChosenFile",
       [](const std::string& d, const std::string& m, auto&) {
         return BuildZip({Member(m, d), Member(kFile, "zastąpiony\r\n")});
       },
       C::Refused, kWouldReplace + kFile},
      {"MemberNamedLikeTheArchiveCopy",
       [](const std::string& d, const std::string& m, auto&) {
         return BuildZip({Member(m, d), Member(std::string(kFile) + ".zip", "zastąpiony\r\n")});
       },
       C::Refused, kWouldReplace + kFile + ".zip"},
      {"NoDocumentAtAll", [](auto&, auto&, auto&) { return BuildZip("opis.txt", "opis\r\n"); },
       C::NoDocument},
      // Windows takes names that differ only in letter case for one file, as it does with
      // Polish letters; there the second would replace the first, so it is refused.
      {"NamesDifferingOnlyInLetterCase",
       [](const std::string& d, const std::string& m, auto&) {
         return BuildZip(
             {Member(m, d), Member("Opis ŻÓŁW.txt", "a"), Member("opis żółw.TXT", "b")});
       },
#ifdef _WIN32
       C::Refused, "Powtórzona nazwa w archiwum: opis żółw.TXT"},
#else
       C::Works},
#endif
      // The members written before the damaged one are taken away again.
      {"DamagedAfterGoodMembers",
       [](const std::string& d, const std::string& m, auto&) {
         RawMember damaged = Member(m, d);
         damaged.crc = 1;
         return BuildZip({Member("opis.txt", "opis"), Member("inne/opis.txt", "opis"), damaged});
       },
       C::Refused, "uszkodzone dane w archiwum ZIP (niezgodna suma kontrolna): @"},
  };
}

enum class Action { Open, Paste };

class HostileArchive : public ::testing::Test,
                       public ::testing::WithParamInterface<std::tuple<ArchiveCase, Action>> {
 protected:
  void SetUp() override {
    // No archive here may make the program write much: a file-size limit of 4 MiB turns any
    // attempt to unpack a bomb into a failed write, with a message other than the one expected,
    // so a refusal must come before that much is written. Windows has no such limit: there a
    // bomb that got through would show as the wrong outcome, only later.
#ifndef _WIN32
    getrlimit(RLIMIT_FSIZE, &savedLimit_);
    rlimit limit = savedLimit_;
    limit.rlim_cur = 4 << 20;
    setrlimit(RLIMIT_FSIZE, &limit);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
#endif
  }
  void TearDown() override {
#ifndef _WIN32
    setrlimit(RLIMIT_FSIZE, &savedLimit_);
    std::signal(SIGXFSZ, savedHandler_);
#endif
  }

#ifndef _WIN32
 private:
  rlimit savedLimit_{};
  void (*savedHandler_)(int) = SIG_DFL;
#endif
};

TEST_P(HostileArchive, EndsAsTheUserMustSeeAndWritesOnlyInItsFolder) {
  const auto& [c, action] = GetParam();
  TempDir root;
  const std::string room = root.path() + kRoom + "/";
  const std::string chosen = room + kFile;
  fs::create_directories(fileops::FsPath(room));

  const bool open = action == Action::Open;
  const std::string document = open ? DatabaseDocument() : EntriesDocument();
  const std::string member = open ? "baza.lef" : "zawody.lef";
  const std::string bytes = c.build(document, member, root.path());
  WriteBytes(chosen, bytes);
  const Tree before = Snapshot(root.fs());

  const Clubs clubs = SampleClubs();
  OpenRun opened;
  PasteRun pasted;
  if (open) {
    opened = OpenThrough(chosen);
  } else {
    pasted = PasteThrough(chosen, clubs);
  }
  const std::vector<Shown>& shown = open ? opened.shown : pasted.shown;
  const Tree after = Snapshot(root.fs());

  // Nothing outside the folder, nothing left inside it of what was unpacked, no link anywhere,
  // and none of the program's temporary files.
  EXPECT_EQ(Names(after), Names(before));
  for (const auto& [name, content] : after) EXPECT_NE(content, "<link>") << name;

  std::vector<Shown> expectedShown;
  if (!open) expectedShown.push_back(Confirmation());
  switch (c.outcome) {
    case ArchiveCase::Refused: {
      ASSERT_EQ(shown.size(), expectedShown.size() + 2) << ::testing::PrintToString(shown);
      const Shown& description = shown[shown.size() - 2];
      std::string detail = c.detail;
      if (const size_t at = detail.find('@'); at != std::string::npos)
        detail.replace(at, 1, member);
      if (c.exact) {
        EXPECT_EQ(description, ArchiveError(detail));
      } else {
        EXPECT_EQ(description.title, "error");
        EXPECT_EQ(description.icon, Icon::Warning);
        EXPECT_NE(description.text.find(detail), std::string::npos) << description.text;
      }
      expectedShown.push_back(description);
      expectedShown.push_back(InvalidArchive());
      EXPECT_EQ(shown, expectedShown);
      EXPECT_EQ(after, before);
      if (open) {
        EXPECT_EQ(opened.outcome.kind, OpenOutcome::Ended);
      } else {
        EXPECT_FALSE(pasted.replaced);
      }
      break;
    }
    case ArchiveCase::NoDocument:
      expectedShown.push_back(Stop(kNoDocumentMessage));
      EXPECT_EQ(shown, expectedShown);
      EXPECT_EQ(after, before);
      if (open) {
        EXPECT_EQ(opened.outcome.kind, OpenOutcome::Ended);
      } else {
        EXPECT_FALSE(pasted.replaced);
      }
      break;
    case ArchiveCase::Works:
      if (open) {
        EXPECT_EQ(shown, expectedShown);
        EXPECT_EQ(opened.outcome.kind, OpenOutcome::AthletesFound);
        EXPECT_EQ(opened.outcome.clubsText, clubs.text);
        EXPECT_EQ(after.at(std::string(kRoom) + "/" + kFile), bytes);
      } else {
        expectedShown.push_back(PasteDone(chosen));
        EXPECT_EQ(shown, expectedShown);
        EXPECT_TRUE(pasted.replaced);
        const ArchiveContents now = ReadArchive(chosen);
        ASSERT_TRUE(now.whole) << now.error;
        ASSERT_EQ(now.order.size(), 1u);
        EXPECT_EQ(now.members.begin()->second, SamplePasted());
      }
      break;
  }
  // The user may try again at once: nothing the action left blocks a good archive now.
  if (open && c.outcome != ArchiveCase::Works) {
    WriteBytes(chosen, Good(document, member));
    const OpenRun again = OpenThrough(chosen);
    EXPECT_EQ(again.outcome.kind, OpenOutcome::AthletesFound)
        << ::testing::PrintToString(again.shown);
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileArchive,
                         ::testing::Combine(::testing::ValuesIn(Cases()),
                                            ::testing::Values(Action::Open, Action::Paste)),
                         [](const auto& info) {
                           return std::get<0>(info.param).name +
                                  (std::get<1>(info.param) == Action::Open ? "_Open" : "_Paste");
                         });

// A file of the user's lying beside the chosen file under a member's name is never replaced:
// the archive is refused before anything is written, with the member's name.
TEST(HostileArchives, AFileOfTheUsersNamedLikeAMemberStaysAsItIs) {
  for (const Action action : {Action::Open, Action::Paste}) {
    SCOPED_TRACE(action == Action::Open ? "open" : "paste");
    TempDir root;
    const std::string chosen = root.file(kFile);
    const bool open = action == Action::Open;
    const std::string document = open ? DatabaseDocument() : EntriesDocument();
    WriteBytes(chosen, BuildZip({Member(open ? "baza.lef" : "zawody.lef", document),
                                 Member("opis.txt", "z archiwum")}));
    WriteBytes(root.file("opis.txt"), "mój opis");
    const Tree before = Snapshot(root.fs());

    const std::vector<Shown> shown =
        open ? OpenThrough(chosen).shown : PasteThrough(chosen, SampleClubs()).shown;

    std::vector<Shown> expected;
    if (!open) expected.push_back(Confirmation());
    expected.push_back(
        ArchiveError("Element archiwum zastąpiłby plik, który już jest w katalogu: opis.txt"));
    expected.push_back(InvalidArchive());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(Snapshot(root.fs()), before);
  }
}

// A member that the archive marks as a symbolic link is unpacked as an ordinary file holding the
// link's target as text: no link is ever made, so nothing can be reached through it.
TEST(HostileArchives, LinkMemberBecomesAnOrdinaryFile) {
  TempDir root;
  const std::string chosen = root.file("baza.lxf");
  RawMember link = Member("baza.lef", "/etc/passwd", 0);
  link.externalAttributes = 0120777u << 16;
  WriteBytes(chosen, BuildZip({link}));

  const OpenRun run = OpenThrough(chosen);
  EXPECT_EQ(run.outcome.kind, OpenOutcome::NoAthletes);
  EXPECT_EQ(run.shown, std::vector<Shown>{Stop(kNoAthletesMessage)});
  EXPECT_EQ(Names(Snapshot(root.fs())), std::vector<std::string>{"baza.lxf"});
}

// A link already lying in the folder cannot lead a member out of it.
TEST(HostileArchives, MemberThroughALinkInTheFolderIsRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "Making a symbolic link takes a privilege on Windows that the tests lack";
#endif
  TempDir root, elsewhere;
  fs::create_directory_symlink(elsewhere.fs(), root.fs() / "sub");
  const std::string chosen = root.file("baza.lxf");
  WriteBytes(chosen, BuildZip("sub/baza.lef", DatabaseDocument()));

  const OpenRun run = OpenThrough(chosen);
  ASSERT_EQ(run.shown.size(), 2u);
  EXPECT_EQ(run.shown[0].title, "error");
  EXPECT_NE(run.shown[0].text.find("sub/baza.lef"), std::string::npos) << run.shown[0].text;
  EXPECT_EQ(run.shown[1], InvalidArchive());
  EXPECT_TRUE(Snapshot(elsewhere.fs()).empty());
}

// Every prefix of a good archive: each ends in a message or a good reading, never a crash, and
// never a write outside the folder.
TEST(HostileArchives, EveryTruncationOfAnArchiveIsHandled) {
  TempDir root;
  const std::string room = root.path() + "klub/";
  fs::create_directories(fileops::FsPath(room));
  const std::string good = Good(DatabaseDocument(), "baza.lef");
  int refused = 0;
  for (size_t length = 0; length < good.size(); length += 7) {
    WriteBytes(room + "baza.lxf", good.substr(0, length));
    const OpenRun run = OpenThrough(room + "baza.lxf");
    ASSERT_FALSE(run.shown.empty()) << "length " << length;
    EXPECT_EQ(run.shown.back(), InvalidArchive()) << "length " << length;
    refused += run.outcome.kind == OpenOutcome::Ended;
    EXPECT_EQ(Names(Snapshot(root.fs())), (std::vector<std::string>{"klub", "klub/baza.lxf"}))
        << "length " << length;
  }
  EXPECT_EQ(refused, static_cast<int>((good.size() + 6) / 7));
}

}  // namespace
}  // namespace rostrel::testing
