#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "archive/shell_zip.h"
#include "bench/stages.h"
#include "common/fileops.h"
#include "entries/paste_action.h"

namespace rostrel::bench {
namespace {

void MeasureUnpackEntries(SetRun& s) {
  const std::string entriesCopy = s.Dir("entries/zgloszenie.lxf");
  CopyOver(s.set.entriesLxf(), entriesCopy);
  const double unpackEntries = TimeUnpack(s, entriesCopy);
  s.unzipEntries = TimeUnzipToPipe(s.runs, s.set.entriesLxf());
  s.r.rows.push_back(
      {"unpacking the entries file (UnpackLxf)", unpackEntries, "unzip -p", s.unzipEntries});
}

// Times RewriteEntries on `lef` with the opened database's clubs section, keeping the last
// result in `rewrite`.
double TimeRewrite(SetRun& s, const std::string& lef, Rewrite& rewrite) {
  return BestOf(
      s.runs, [&] { Drop(rewrite); },
      [&] {
        rewrite = RewriteEntries(s.prompter, s.set.entriesLxf(), lef, s.opened.clubs.text,
                                 s.opened.clubs.encoding);
        return rewrite.kind == Rewrite::Rewritten;
      });
}

void MeasureRewrite(SetRun& s) {
  const std::string rewriteLef = s.Dir("rewrite/zawody.lef");
  CopyOver(s.set.entriesLef(), rewriteLef);
  const double rewriteTime = TimeRewrite(s, rewriteLef, s.rewrite);
  if (rewriteTime < 0) Fail("RewriteEntries failed", s.prompter);
  s.r.newDocBytes = static_cast<long long>(s.rewrite.text.size());
  // The floor for rewriting is reading as many bytes as the new document holds.
  s.newDoc = s.Dir("floor/new.lef");
  WriteAll(s.newDoc, s.rewrite.text);
  s.freadNew = BestOf(s.runs, nullptr, [&] { return FreadFile(s.newDoc, s.rewrite.text.size()); });
  s.r.rows.push_back({"RewriteEntries (read, build the new document)", rewriteTime,
                      "fread of the new document's size", s.freadNew, 3.0});
  // A UTF-8 database pasted into a Windows-1250 entries file: the clubs section is converted.
  const std::string otherLef = s.set.dir + "/../cp1250/lef/zawody.lef";
  if (s.set.encoding == "utf8" && std::filesystem::exists(otherLef)) {
    const std::string convertLef = s.Dir("rewrite/zawody-1250.lef");
    CopyOver(otherLef, convertLef);
    Rewrite converted;
    const double convertTime = TimeRewrite(s, convertLef, converted);
    if (convertTime < 0) Fail("RewriteEntries failed to convert into Windows-1250", s.prompter);
    s.r.rows.push_back({"  (the same into a Windows-1250 entries file: converting the clubs)",
                        convertTime, "fread of the new document's size", s.freadNew});
  }
}

// The floor is Info-ZIP at the level our archive was packed with; the level is the one whose
// archive comes closest in size to ours (both are deflate with zlib's level settings).
void MatchPackLevel(SetRun& s, const std::string& zipFloor) {
  Results& r = s.r;
  for (int level : {1, 6, 9}) {
    RemoveIfThere(zipFloor);
    RunProgram({"zip", "-q", "-" + std::to_string(level), "-j", zipFloor, s.packLef});
    r.zipSizes[level] = FileSize(zipFloor);
    if (r.packLevel == 0 || std::llabs(r.zipSizes[level] - r.packedBytes) <
                                std::llabs(r.zipSizes[r.packLevel] - r.packedBytes))
      r.packLevel = level;
  }
  s.levelFlag = "-" + std::to_string(r.packLevel);
}

// The paste packs the new document from memory into a fresh archive of its own beside the
// entries file, flushed to the disk.
void MeasurePack(SetRun& s) {
  s.packLef = s.Dir("pack/zawody.lef");
  CopyOver(s.newDoc, s.packLef);
  const std::string folder = s.Dir("pack/archive/");
  std::filesystem::create_directories(folder);
  const double pack = BestOf(
      s.runs, [&] { RemoveIfThere(s.packTarget); },
      [&] {
        fileops::NewFile archive;
        const bool packed = ZipTextAs(s.prompter, s.rewrite.text, "zawody.lef", folder, archive);
        s.packTarget = archive.path();
        return packed;
      });
  if (pack < 0) Fail("ZipTextAs failed", s.prompter);
  s.r.packedBytes = FileSize(s.packTarget);
  const std::string zipFloor = s.Dir("pack/floor.zip");
  MatchPackLevel(s, zipFloor);
  s.zipQ = BestOf(
      s.runs, [&] { RemoveIfThere(zipFloor); },
      [&] {
        return RunProgram({"zip", "-q", s.levelFlag, "-j", zipFloor, s.packLef}) >= 0;
      });
  RemoveIfThere(zipFloor);
  s.r.rows.push_back(
      {"packing from memory (ZipTextAs, with fsync)", pack, "zip -q " + s.levelFlag, s.zipQ, 1.3});
}

void MeasureReplace(SetRun& s) {
  const std::string replaceFrom = s.Dir("replace/.rostrel-nowe0000.tmp");
  const std::string replaceTo = s.Dir("replace/zgloszenie.lxf");
  CopyOver(s.set.entriesLxf(), replaceTo);
  FileError err;
  const auto setup = [&] { CopyOver(s.packTarget, replaceFrom); };
  const double replace = BestOf(
      s.runs, setup, [&] { return fileops::ReplaceFileAtomically(replaceFrom, replaceTo, err); });
  const double renameFloor = BestOf(
      s.runs, setup, [&] { return std::rename(replaceFrom.c_str(), replaceTo.c_str()) == 0; });
  s.r.rows.push_back(
      {"final replacement (fileops::ReplaceFileAtomically)", replace, "rename(2)", renameFloor});
}

void MeasurePaste(SetRun& s) {
  const std::string pasteLxf = s.Dir("paste/zgloszenie.lxf");
  const auto pasteSetup = [&] { CopyOver(s.set.entriesLxf(), pasteLxf); };
  const auto pasteOnce = [&] {
    FileDialogSettings comIN;
    s.prompter.picks = {pasteLxf};
    return PasteEntries(s.prompter, comIN, s.opened.dbFile, s.opened.clubs);
  };
  s.paste = BestOf(s.runs, pasteSetup, pasteOnce);
  if (s.paste < 0) Fail("PasteEntries failed", s.prompter);
  s.r.rows.push_back({"whole paste (PasteEntries), pauses apart", s.paste,
                      "unzip -p + fread + zip -q " + s.levelFlag,
                      s.unzipEntries + s.freadNew + s.zipQ, 0, 0.300});
  s.r.pastePauses = CountPauses(pasteSetup, pasteOnce);

  // The paste must have produced the rewritten document, packed: check it once.
  std::string unpacked;
  if (RunProgram({"unzip", "-p", pasteLxf}, &unpacked) < 0 || unpacked != s.rewrite.text)
    Fail("the pasted entries file does not hold the rewritten document", s.prompter);
}

}  // namespace

void MeasurePasteStages(SetRun& s) {
  MeasureUnpackEntries(s);
  MeasureRewrite(s);
  MeasurePack(s);
  MeasureReplace(s);
  MeasurePaste(s);
}

}  // namespace rostrel::bench
