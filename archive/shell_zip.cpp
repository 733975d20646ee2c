#include "archive/shell_zip.h"

#include <filesystem>
#include <string_view>
#include <system_error>
#include <thread>

#include "archive/unpacked_files.h"
#include "archive/zip_extractor.h"
#include "archive/zip_writer.h"
#include "common/ascii.h"
#include "common/file_error.h"
#include "common/fileops.h"
#include "common/prompter.h"

namespace rostrel {
namespace {

namespace fs = std::filesystem;

std::chrono::milliseconds g_pause{1000};
int g_pausesTaken = 0;

// The archive path gets ".ZIP" unless it already ends in ".zip" in some letter case.
std::string WithZipSuffix(const std::string& path) {
  return EndsWithIgnoringCase(path, ".ZIP") ? path : path + ".ZIP";
}

bool Fail(Prompter& prompter, const std::string& failure) {
  prompter.message(failure, "error", Icon::Warning, Buttons::Ok);
  return false;
}

bool Succeed() {
  ++g_pausesTaken;
  if (g_pause.count() > 0) std::this_thread::sleep_for(g_pause);
  return true;
}

// Creates the empty archive at `path`, where nothing may have that name yet, and keeps it open
// for the packing to write over.
bool StartArchive(Prompter& prompter, const std::string& path, fileops::NewFile& file) {
  static constexpr char kEmptyArchive[22] = {0x50, 0x4B, 0x05, 0x06};
  FileError err;
  if (file.Create(path, err) &&
      file.Write(std::string_view(kEmptyArchive, sizeof kEmptyArchive), err)) {
    return true;
  }
  file.Close(err, false);
  prompter.message(Describe(err) + ": " + path, "Error", Icon::Warning, Buttons::Ok);
  return false;
}

// Writes the packed archive over the empty one and makes it durable: the caller may rename it
// over the entries file next, and that rename must not outlive the data it points at.
bool FinishArchive(Prompter& prompter, fileops::NewFile& file, const std::string& bytes,
                   const std::string& where) {
  FileError err;
  const bool written = bytes.empty() || file.Rewrite(bytes, err);
  if (file.Close(err, /*durable=*/true) && written) return true;
  return Fail(prompter, Describe(err) + ": " + where);
}

// Packs a file under `name`, or without a name the contents of a folder.
bool Pack(Prompter& prompter, const std::string& source, const std::string& destination,
          const std::string* name) {
  const std::string archive = WithZipSuffix(destination);
  // The empty archive would stand where the very file to be packed is.
  std::error_code ec;
  if (fs::equivalent(fileops::FsPath(source), fileops::FsPath(archive), ec))
    return Fail(prompter, "Nie można spakować pliku do niego samego: " + source);
  fileops::NewFile file;
  if (!StartArchive(prompter, archive, file)) return false;
  std::string bytes, failure;
  const bool packed = name ? PackFile(source, *name, bytes, failure)
                           : PackFolder(source, archive, bytes, failure);
  if (!packed) {
    FileError ignored;
    file.Close(ignored, false);
    return Fail(prompter, failure);
  }
  return FinishArchive(prompter, file, bytes, archive);
}

}  // namespace

void SetShellZipPause(std::chrono::milliseconds pause) { g_pause = pause; }

std::chrono::milliseconds ShellZipPause() { return g_pause; }

int ShellZipPausesTaken() { return g_pausesTaken; }

bool CreateEmptyZip(Prompter& prompter, const std::string& path) {
  fileops::NewFile file;
  if (!StartArchive(prompter, path, file)) return false;
  FileError err;
  if (file.Close(err, /*durable=*/true)) return true;
  prompter.message(Describe(err) + ": " + path, "Error", Icon::Warning, Buttons::Ok);
  return false;
}

bool ShellZip(Prompter& prompter, const std::string& action, const std::string& source,
              const std::string& destination) {
  if (source.empty() || destination.empty()) return false;
  const std::string verb = AsciiUpper(action);
  if (verb == "ZIPFILE") {
    const std::string ownName = fileops::Utf8(fileops::FsPath(source).filename());
    if (!Pack(prompter, source, destination, &ownName)) return false;
  } else if (verb == "ZIPFOLDER") {
    if (!Pack(prompter, source, destination, nullptr)) return false;
  } else if (verb == "UNZIP") {
    UnpackFailure failure;
    if (!Unpack(WithZipSuffix(source), destination, {}, failure))
      return Fail(prompter, failure.text);
  }
  return Succeed();
}

bool UnzipBeside(Prompter& prompter, const std::string& lxf, const std::string& destination,
                 UnpackedFiles& unpacked, UnpackFailure& failure) {
  if (lxf.empty() || destination.empty()) return false;
  // Unpack keeps the archive itself from being replaced.
  if (!Unpack(lxf, destination, {{}, &unpacked}, failure)) {
    if (failure.kind == UnpackFailure::Archive) Fail(prompter, failure.text);
    return false;
  }
  return Succeed();
}

bool ZipTextAs(Prompter& prompter, std::string_view text, const std::string& name,
               const std::string& folder, fileops::NewFile& archive) {
  std::string bytes, failure;
  if (!PackText(text, name, bytes, failure)) return Fail(prompter, failure);
  // The new archive's name is the program's own and tells the user nothing: the messages name
  // the folder it was to be written in.
  FileError err;
  if (!archive.CreateTemporary(folder, err)) {
    prompter.message(Describe(err) + ": " + folder, "Error", Icon::Warning, Buttons::Ok);
    return false;
  }
  return FinishArchive(prompter, archive, bytes, folder) && Succeed();
}

}  // namespace rostrel
