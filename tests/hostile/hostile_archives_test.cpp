// Hostile LXF archives, chosen by the user in both actions: each must end in the outcome the
// user is meant to see, leave nothing behind in the chosen file's folder and leave the chosen
// file as it was. The archive rules themselves are tried at the archive routines
// (tests/archive); here each action shows once that it keeps to them.

#include <gtest/gtest.h>

#include <cstdio>

#include "archive/unpack_lxf.h"
#include "support/actions.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

namespace fs = std::filesystem;

struct ArchiveCase {
  std::string name;
  // The archive around the document it should carry, under the member name `member`.
  std::vector<RawMember> (*build)(const std::string& document, const std::string& member);
  std::string refusal;  // the archive routine's description, '@' for the member; "" if it works
};

std::ostream& operator<<(std::ostream& os, const ArchiveCase& c) { return os << c.name; }

const ArchiveCase kCases[] = {
    // The members written before the damaged one are taken away again.
    {"DamagedAfterGoodMembers",
     [](const std::string& d, const std::string& m) {
       RawMember damaged = Member(m, d);
       damaged.crc = 1;
       return std::vector<RawMember>{Member("opis.txt", "opis"), Member("inne/opis.txt", "opis"),
                                     damaged};
     },
     "uszkodzone dane w archiwum ZIP (niezgodna suma kontrolna): @"},
    // Every one of the members is unpacked, and every one is taken away again.
    {"TenThousandMembers",
     [](const std::string& d, const std::string& m) {
       std::vector<RawMember> members;
       for (int i = 1; i < 10000; ++i) {
         char name[32];
         std::snprintf(name, sizeof name, "m%05d.txt", i);
         members.push_back(Member(name, "x", 0));
       }
       members.push_back(Member(m, d));
       return members;
     },
     ""},
};

enum class Action { Open, Paste };

class HostileArchive : public ::testing::TestWithParam<std::tuple<ArchiveCase, Action>> {};

TEST_P(HostileArchive, EndsAsTheUserMustSeeAndLeavesTheFolderAsItWas) {
  const auto& [c, action] = GetParam();
  TempDir root;
  const std::string room = root.path() + "klub/";
  const std::string chosen = room + "plik.lxf";
  fs::create_directories(fileops::FsPath(room));

  const bool open = action == Action::Open;
  const std::string document = open ? DatabaseDocument() : EntriesDocument();
  const std::string member = open ? "baza.lef" : "zawody.lef";
  const std::string bytes = BuildZip(c.build(document, member));
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
  const Tree after = Snapshot(root.fs());
  EXPECT_EQ(Names(after), Names(before));

  std::vector<Shown> expected;
  if (!open) expected.push_back(Confirmation());
  if (!c.refusal.empty()) {
    std::string description = c.refusal;
    description.replace(description.find('@'), 1, member);
    expected.push_back(ArchiveError(description));
    expected.push_back(InvalidArchive());
    EXPECT_EQ(after, before);
    if (open) {
      EXPECT_EQ(opened.outcome.kind, OpenOutcome::Ended);
    } else {
      EXPECT_FALSE(pasted.replaced);
    }
  } else if (open) {
    EXPECT_EQ(opened.outcome.kind, OpenOutcome::AthletesFound);
    EXPECT_EQ(opened.outcome.clubs.text, clubs.text);
    EXPECT_EQ(after, before);
  } else {
    expected.push_back(PasteDone(chosen));
    EXPECT_TRUE(pasted.replaced);
    const ArchiveContents now = ReadArchive(chosen);
    ASSERT_TRUE(now.whole) << now.error;
    EXPECT_EQ(now.members, (std::map<std::string, std::string>{{member, SamplePasted()}}));
  }
  EXPECT_EQ(open ? opened.shown : pasted.shown, expected);
  // The user may try again at once: nothing the action left blocks a good archive now.
  if (open && !c.refusal.empty()) {
    WriteBytes(chosen, BuildZip(member, document));
    const OpenRun again = OpenThrough(chosen);
    EXPECT_EQ(again.outcome.kind, OpenOutcome::AthletesFound)
        << ::testing::PrintToString(again.shown);
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileArchive,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(Action::Open, Action::Paste)),
                         [](const auto& info) {
                           return std::get<0>(info.param).name +
                                  (std::get<1>(info.param) == Action::Open ? "_Open" : "_Paste");
                         });

}  // namespace
}  // namespace rostrel::testing
