#include "archive/shell_zip.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "support/fake_prompter.h"
#include "support/files.h"
#include "support/temp_dir.h"
#include "support/zip_files.h"

namespace rostrel {
namespace {

using testing::ArchiveError;
using testing::EmptyArchiveError;
using testing::FakePrompter;
using testing::Listing;
using testing::MakeArchive;
using testing::ReadBytes;
using testing::Shown;
using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Members = std::map<std::string, std::string>;

const std::string kEmptyArchive("PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22);

// Taken before the test environment shortens it.
const std::chrono::milliseconds kPauseAtStart = ShellZipPause();

TEST(ShellZipPause, IsOneSecondUnlessChanged) {
  EXPECT_EQ(kPauseAtStart, std::chrono::milliseconds(1000));
}

// The members of an archive that libzip reads whole, name to content.
Members ReadArchive(const std::string& path, std::vector<zip_uint16_t>* methods = nullptr) {
  const testing::ArchiveContents contents = testing::ReadArchive(path);
  EXPECT_TRUE(contents.whole) << path << ": " << contents.error;
  if (methods) *methods = contents.methods;
  return contents.members;
}

#ifndef _WIN32
// Runs a shell command, returning its exit status and, in `output`, what it printed.
int Run(const std::string& command, std::string& output) {
  output.clear();
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  return pclose(pipe);
}

std::string Quoted(const std::string& path) {
  std::string q = "'";
  for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
#endif

// Info-ZIP's own test of an archive: exit status 0 and its "no errors" line. Windows has no
// Info-ZIP; there libzip's strict consistency check of the headers stands in, with every member
// read to its end, where libzip checks its CRC.
void ExpectUnzipAccepts(const std::string& archive) {
#ifdef _WIN32
  const testing::ArchiveContents contents = testing::ReadArchive(archive);
  EXPECT_TRUE(contents.whole) << contents.error;
#else
  std::string output;
  const int status = Run("/usr/bin/unzip -t " + Quoted(archive), output);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
#endif
}

// The one message of a failed archive routine: the routine's own ("error") or the empty
// archive's ("Error").
void ExpectErrorBox(const FakePrompter& prompter, const std::string& text,
                    const std::string& title = "error") {
  EXPECT_EQ(prompter.messages,
            (std::vector<Shown>{title == "error" ? ArchiveError(text) : EmptyArchiveError(text)}));
}

// The empty archive is made only where nothing has its name: whatever stands there stays as it
// was, and the message names the place. Packing an empty folder gives the same 22 bytes (libzip
// would remove an archive left without members), and they unpack to nothing, without a word.
TEST(CreateEmptyZip, WritesTheTwentyTwoBytesOnlyWhereNothingIs) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("stare.zip"), {{"stary.lef", "stary"}}), "");
  fs::create_directory(fileops::FsPath(dir.file("katalog.zip")));
  const testing::Tree before = testing::Snapshot(dir.fs());
  const struct {
    std::string name, failure;
  } rows[] = {
      {"brak/nowe.zip", "plik lub katalog nie istnieje"},
      {"katalog.zip", "plik o tej nazwie już istnieje"},
      {"stare.zip", "plik o tej nazwie już istnieje"},
      {"nowe.zip", ""},
  };
  for (const auto& row : rows) {
    FakePrompter prompter;
    EXPECT_EQ(CreateEmptyZip(prompter, dir.file(row.name)), row.failure.empty()) << row.name;
    if (row.failure.empty()) {
      EXPECT_TRUE(prompter.messages.empty());
    } else {
      ExpectErrorBox(prompter, row.failure + ": " + dir.file(row.name), "Error");
    }
  }
  testing::Tree after = before;
  after["nowe.zip"] = kEmptyArchive;
  EXPECT_EQ(testing::Snapshot(dir.fs()), after);

  int code = 0;
  zip_t* za = zip_open(dir.file("nowe.zip").c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  ASSERT_NE(za, nullptr) << code;
  EXPECT_EQ(zip_get_num_entries(za, 0), 0);
  zip_discard(za);

  FakePrompter prompter;
  EXPECT_TRUE(ShellZip(prompter, "UNZIP", dir.file("nowe.zip"), dir.file("katalog.zip/")));
  ASSERT_TRUE(ShellZip(prompter, "ZIPFOLDER", dir.file("katalog.zip"), dir.file("pusty.lxf")));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(ReadBytes(dir.file("pusty.lxf.ZIP")), kEmptyArchive);
  EXPECT_TRUE(fs::is_empty(fileops::FsPath(dir.file("katalog.zip"))));
}

TEST(ShellZip, EmptySourceOrDestinationFailsSilently) {
  TempDir dir;
  WriteBytes(dir.file("a.lef"), "x");
  for (const char* action : {"ZIPFILE", "ZIPFOLDER", "UNZIP", "ZIP"}) {
    FakePrompter prompter;
    EXPECT_FALSE(ShellZip(prompter, action, "", dir.file("a.lxf"))) << action;
    EXPECT_FALSE(ShellZip(prompter, action, dir.file("a.lef"), "")) << action;
    EXPECT_FALSE(ShellZip(prompter, action, "", "")) << action;
    EXPECT_TRUE(prompter.messages.empty()) << action;
  }
  EXPECT_EQ(Listing(dir.fs()), Strings{"a.lef"});
}

TEST(ShellZip, UnknownActionDoesNothingAndSucceeds) {
  TempDir dir;
  WriteBytes(dir.file("a.lef"), "x");
  FakePrompter prompter;
  for (const char* action : {"ZIP", "PACK", "zip file", "UNZIPX"}) {
    EXPECT_TRUE(ShellZip(prompter, action, dir.file("a.lef"), dir.file("a.lxf"))) << action;
  }
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(Listing(dir.fs()), Strings{"a.lef"});
}

struct PackCase {
  std::string action;
  std::string destination;  // file name in the temporary folder
  std::string archive;      // where the archive must appear
};

void PrintTo(const PackCase& c, std::ostream* os) { *os << c.action << " " << c.destination; }

class ZipFileTest : public ::testing::TestWithParam<PackCase> {};

TEST_P(ZipFileTest, PacksTheFileUnderItsOwnNameAtTheTop) {
  TempDir dir;
  fs::create_directory(fileops::FsPath(dir.file("źródło")));
  const std::string document = "<?xml version=\"1.0\"?>\r\n<LENEX>\r\n</LENEX>\r\n";
  WriteBytes(dir.file("źródło/zawody.lef"), document);
  FakePrompter prompter;
  const std::string source = dir.file("źródło/zawody.lef");
  ASSERT_TRUE(ShellZip(prompter, GetParam().action, source, dir.file(GetParam().destination)));
  EXPECT_TRUE(prompter.messages.empty());

  const std::string archive = dir.file(GetParam().archive);
  std::vector<zip_uint16_t> methods;
  EXPECT_EQ(ReadArchive(archive, &methods), (Members{{"zawody.lef", document}}));
  EXPECT_EQ(methods, std::vector<zip_uint16_t>{ZIP_CM_DEFLATE});
  ExpectUnzipAccepts(archive);
  EXPECT_EQ(ReadBytes(source), document);
}

INSTANTIATE_TEST_SUITE_P(SuffixAndCase, ZipFileTest,
                         ::testing::Values(PackCase{"ZIPFILE", "plik.lxf", "plik.lxf.ZIP"},
                                           PackCase{"zipfile", "plik.lxf", "plik.lxf.ZIP"},
                                           PackCase{"ZipFile", "plik.lxf", "plik.lxf.ZIP"},
                                           PackCase{"ZIPFILE", "plik.zip", "plik.zip"},
                                           PackCase{"ZIPFILE", "PLIK.ZIP", "PLIK.ZIP"},
                                           PackCase{"ZIPFILE", "plik.Zip", "plik.Zip"},
                                           PackCase{"ZIPFILE", "plikzip", "plikzip.ZIP"},
                                           PackCase{"ZIPFILE", "zip", "zip.ZIP"},
                                           PackCase{"ZIPFILE", "Zawody 2024 Łódź.lxf",
                                                    "Zawody 2024 Łódź.lxf.ZIP"}));

TEST(ShellZip, ZipFileWithPolishNameOpensInInfoZip) {
  TempDir dir;
  const std::string folder = dir.path() + "Zawody śląskie/";
  fs::create_directory(fileops::FsPath(folder));
  WriteBytes(folder + "Zgłoszenie ŻÓŁW.lef", std::string(100000, 'a'));
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "ZIPFILE", folder + "Zgłoszenie ŻÓŁW.lef", folder + "z.lxf"));
  EXPECT_EQ(ReadArchive(folder + "z.lxf.ZIP"),
            (Members{{"Zgłoszenie ŻÓŁW.lef", std::string(100000, 'a')}}));
  EXPECT_LT(ReadBytes(folder + "z.lxf.ZIP").size(), 10000u);  // deflated
  ExpectUnzipAccepts(folder + "z.lxf.ZIP");
}

TEST(ShellZip, ZipFolderPacksTheContentsNotTheFolder) {
  TempDir dir;
  const std::string folder = dir.path() + "katalog/";
  fs::create_directories(fileops::FsPath(folder + "sub/głęboko"));
  fs::create_directories(fileops::FsPath(folder + "pusty"));
  WriteBytes(folder + "a.lef", "A");
  WriteBytes(folder + "sub/b.txt", "B");
  WriteBytes(folder + "sub/głęboko/c.txt", "C");
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "ZipFolder", folder, dir.file("paczka.zip")));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(ReadArchive(dir.file("paczka.zip")), (Members{{"a.lef", "A"},
                                                          {"pusty/", ""},
                                                          {"sub/", ""},
                                                          {"sub/b.txt", "B"},
                                                          {"sub/głęboko/", ""},
                                                          {"sub/głęboko/c.txt", "C"}}));
  ExpectUnzipAccepts(dir.file("paczka.zip"));
}

TEST(ShellZip, ZipFolderIntoItselfLeavesTheArchiveOut) {
  TempDir dir;
  WriteBytes(dir.file("a.lef"), "A");
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "ZIPFOLDER", dir.path(), dir.file("paczka.lxf")));
  EXPECT_EQ(ReadArchive(dir.file("paczka.lxf.ZIP")), (Members{{"a.lef", "A"}}));
}

TEST(ShellZip, PackingSomethingMissingShowsTheReason) {
  TempDir dir;
  FakePrompter prompter;
  EXPECT_FALSE(ShellZip(prompter, "ZIPFILE", dir.file("brak.lef"), dir.file("a.lxf")));
  ExpectErrorBox(prompter, "plik lub katalog nie istnieje: " + dir.file("brak.lef"));

  prompter.messages.clear();
  EXPECT_FALSE(ShellZip(prompter, "ZIPFILE", dir.path(), dir.file("b.lxf")));
  ExpectErrorBox(prompter, "w miejscu pliku jest katalog: " + dir.path());

  prompter.messages.clear();
  EXPECT_FALSE(ShellZip(prompter, "ZIPFOLDER", dir.file("brak"), dir.file("c.lxf")));
  ExpectErrorBox(prompter, "plik lub katalog nie istnieje: " + dir.file("brak"));
}

TEST(ShellZip, AFileIsNotPackedOverItself) {
  TempDir dir;
  WriteBytes(dir.file("dane.zip"), "cenne dane");
  FakePrompter prompter;
  EXPECT_FALSE(ShellZip(prompter, "ZIPFILE", dir.file("dane.zip"), dir.file("dane.zip")));
  ExpectErrorBox(prompter, "Nie można spakować pliku do niego samego: " + dir.file("dane.zip"));
  EXPECT_EQ(ReadBytes(dir.file("dane.zip")), "cenne dane");
}

TEST(ShellZip, UnwritableArchiveShowsOnlyTheEmptyArchiveMessage) {
  TempDir dir;
  WriteBytes(dir.file("a.lef"), "x");
  for (const char* action : {"ZIPFILE", "ZIPFOLDER"}) {
    FakePrompter prompter;
    EXPECT_FALSE(ShellZip(prompter, action, dir.file("a.lef"), dir.file("brak/a.lxf")));
    ExpectErrorBox(prompter, "plik lub katalog nie istnieje: " + dir.file("brak/a.lxf.ZIP"),
                   "Error");
  }
}

class UnzipCaseTest : public ::testing::TestWithParam<std::string> {};

TEST_P(UnzipCaseTest, UnpacksEveryMember) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("baza.lxf.zip"),
                        {{"zawody.lef", "nowy"}, {"inne/opis.txt", "opis"}, {"puste.txt", ""}}),
            "");
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, GetParam(), dir.file("baza.lxf.zip"), dir.path()));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(ReadBytes(dir.file("zawody.lef")), "nowy");
  EXPECT_EQ(ReadBytes(dir.file("inne/opis.txt")), "opis");
  EXPECT_EQ(Listing(dir.fs()),
            (Strings{"baza.lxf.zip", "inne", "inne/opis.txt", "puste.txt", "zawody.lef"}));
}

INSTANTIATE_TEST_SUITE_P(Actions, UnzipCaseTest, ::testing::Values("UNZIP", "unzip", "Unzip"));

TEST(ShellZip, UnzipAppliesTheSuffixRuleToTheSource) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("plik.lxf.ZIP"), {{"a.lef", "A"}}), "");
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "UNZIP", dir.file("plik.lxf"), dir.path()));
  EXPECT_EQ(ReadBytes(dir.file("a.lef")), "A");

  // A source ending in .zip is read as it is, not as .zip.ZIP.
  ASSERT_EQ(MakeArchive(dir.file("inny.Zip"), {{"b.lef", "B"}}), "");
  ASSERT_TRUE(ShellZip(prompter, "UNZIP", dir.file("inny.Zip"), dir.path()));
  EXPECT_EQ(ReadBytes(dir.file("b.lef")), "B");

  // plik2.lxf itself is an archive, but plik2.lxf.ZIP is what is read.
  ASSERT_EQ(MakeArchive(dir.file("plik2.lxf"), {{"c.lef", "C"}}), "");
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", dir.file("plik2.lxf"), dir.path()));
  EXPECT_FALSE(fs::exists(fileops::FsPath(dir.file("c.lef"))));
  ExpectErrorBox(prompter, "plik lub katalog nie istnieje");
}

TEST(ShellZip, UnzipCreatesDirectoryMembers) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("a.zip"), {{"x.lef/", "", true}, {"d/e/", "", true}}), "");
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "UNZIP", dir.file("a.zip"), dir.path()));
  EXPECT_TRUE(fs::is_directory(fileops::FsPath(dir.file("x.lef"))));
  EXPECT_TRUE(fs::is_directory(fileops::FsPath(dir.file("d/e"))));
}

TEST(ShellZip, UnzipIntoPolishFolderWithBlanks) {
  TempDir root;
  const std::string dir = root.path() + "Zawody śląskie 2024/";
  fs::create_directory(fileops::FsPath(dir));
  ASSERT_EQ(MakeArchive(dir + "baza ŁÓDŹ.lxf.zip", {{"Zgłoszenie.lef", "ąę"}}), "");
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "UNZIP", dir + "baza ŁÓDŹ.lxf.zip", dir));
  EXPECT_EQ(ReadBytes(dir + "Zgłoszenie.lef"), "ąę");
}

TEST(ShellZip, WhatWePackWeUnpack) {
  TempDir dir;
  std::string bytes;
  for (unsigned i = 0; i < 300000; ++i) bytes += static_cast<char>((i * 7919u) % 251u);
  WriteBytes(dir.file("duży.lef"), bytes);
  FakePrompter prompter;
  ASSERT_TRUE(ShellZip(prompter, "ZIPFILE", dir.file("duży.lef"), dir.file("x.lxf")));
  fs::create_directory(fileops::FsPath(dir.file("out")));
  ASSERT_TRUE(ShellZip(prompter, "UNZIP", dir.file("x.lxf.ZIP"), dir.file("out/")));
  EXPECT_EQ(ReadBytes(dir.file("out/duży.lef")), bytes);
}

// A real archive whose stored data has a changed byte, and bytes that are no archive at all.
TEST(ShellZip, UnzipOfADamagedArchiveFailsWithLibzipsDescriptionAndWritesNothing) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("a.lxf.zip"), {{"zawody.lef", std::string(5000, 'z')}}), "");
  std::string corrupt = ReadBytes(dir.file("a.lxf.zip"));
  corrupt[100] = 'Y';  // inside the stored data of zawody.lef
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {corrupt, "uszkodzone dane w archiwum ZIP (niezgodna suma kontrolna): zawody.lef"},
      {"<?xml version=\"1.0\"?>\r\n<LENEX>\r\n", "nieprawidłowe lub uszkodzone archiwum ZIP"},
  };
  for (const auto& c : cases) {
    WriteBytes(dir.file("a.lxf.zip"), c.bytes);
    FakePrompter prompter;
    EXPECT_FALSE(ShellZip(prompter, "UNZIP", dir.file("a.lxf.zip"), dir.path()));
    ExpectErrorBox(prompter, c.text);
    EXPECT_EQ(Listing(dir.fs()), Strings{"a.lxf.zip"});
  }
}

// Every prefix of a good archive, from none of its bytes to all but the last, lacks the
// archive's closing record.
TEST(ShellZip, UnzipOfEveryTruncationFailsAndWritesNothing) {
  TempDir dir;
  ASSERT_EQ(
      MakeArchive(dir.file("good.zip"), {{"zawody.lef", std::string(3000, 'z')}}, ZIP_CM_DEFLATE),
      "");
  const std::string good = ReadBytes(dir.file("good.zip"));
  fs::remove(fileops::FsPath(dir.file("good.zip")));
  for (size_t length = 0; length < good.size(); ++length) {
    SCOPED_TRACE(length);
    WriteBytes(dir.file("a.lxf.zip"), good.substr(0, length));
    FakePrompter prompter;
    EXPECT_FALSE(ShellZip(prompter, "UNZIP", dir.file("a.lxf.zip"), dir.path()));
    ExpectErrorBox(prompter, "nieprawidłowe lub uszkodzone archiwum ZIP");
    EXPECT_EQ(Listing(dir.fs()), Strings{"a.lxf.zip"});
  }
}

TEST(ShellZip, UnzipNeedsAnExistingDirectory) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("a.zip"), {{"a.lef", "A"}}), "");
  WriteBytes(dir.file("plik"), "x");
  FakePrompter prompter;
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", dir.file("a.zip"), dir.file("brak/")));
  ExpectErrorBox(prompter, "plik lub katalog nie istnieje: " + dir.file("brak/"));
  prompter.messages.clear();
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", dir.file("a.zip"), dir.file("plik")));
  ExpectErrorBox(prompter, "w ścieżce jest plik w miejscu katalogu: " + dir.file("plik"));
  prompter.messages.clear();
  EXPECT_FALSE(ShellZip(prompter, "UNZIP", dir.file("brak.zip"), dir.path()));
  ExpectErrorBox(prompter, "plik lub katalog nie istnieje");
  EXPECT_EQ(Listing(dir.fs()), (Strings{"a.zip", "plik"}));
}

TEST(ShellZip, PauseIsTakenAfterSuccessOnly) {
  TempDir dir;
  ASSERT_EQ(MakeArchive(dir.file("a.zip"), {{"a.lef", "A"}}), "");
  FakePrompter prompter;
  const struct {
    const char* call;
    std::function<bool()> run;
    bool result;
    int pauses;
  } calls[] = {
      {"unzip", [&] { return ShellZip(prompter, "UNZIP", dir.file("a.zip"), dir.path()); }, true,
       1},
      {"an action of no row", [&] { return ShellZip(prompter, "ZIP", dir.file("a.zip"), ""); },
       false, 0},
      {"an action of no row",
       [&] { return ShellZip(prompter, "ZIP", dir.file("a.zip"), dir.path()); }, true, 1},
      {"an empty source", [&] { return ShellZip(prompter, "UNZIP", "", dir.path()); }, false, 0},
      {"a missing archive",
       [&] { return ShellZip(prompter, "UNZIP", dir.file("brak.zip"), dir.path()); }, false, 0},
  };
  for (const auto& c : calls) {
    SCOPED_TRACE(c.call);
    const int before = ShellZipPausesTaken();
    EXPECT_EQ(c.run(), c.result);
    EXPECT_EQ(ShellZipPausesTaken() - before, c.pauses);
  }
}

}  // namespace
}  // namespace rostrel
