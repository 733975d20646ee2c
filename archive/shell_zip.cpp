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

// Packs a file under `name`, or without a name the contents of a folder.
bool Pack(Prompter& prompter, const std::string& source, const std::string& destination,
          const std::string* name) {
  const std::string archive = WithZipSuffix(destination);
  // The empty archive would overwrite the very file that is to be packed.
  std::error_code ec;
  if (fs::equivalent(fileops::FsPath(source), fileops::FsPath(archive), ec))
    return Fail(prompter, "Nie można spakować pliku do niego samego: " + source);
  if (!CreateEmptyZip(prompter, archive)) return false;
  std::string failure;
  const bool packed =
      name ? PackFile(source, *name, archive, failure) : PackFolder(source, archive, failure);
  return packed || Fail(prompter, failure);
}

}  // namespace

void SetShellZipPause(std::chrono::milliseconds pause) { g_pause = pause; }

std::chrono::milliseconds ShellZipPause() { return g_pause; }

int ShellZipPausesTaken() { return g_pausesTaken; }

bool CreateEmptyZip(Prompter& prompter, const std::string& path) {
  static constexpr char kEmptyArchive[22] = {0x50, 0x4B, 0x05, 0x06};
  FileError err;
  if (!fileops::WriteFile(path, std::string_view(kEmptyArchive, sizeof kEmptyArchive), err)) {
    prompter.message(Describe(err), "Error", Icon::Warning, Buttons::Ok);
    return false;
  }
  return true;
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
  if (!Unpack(lxf, destination, {{}, true, &unpacked}, failure)) {
    if (failure.kind == UnpackFailure::Archive) Fail(prompter, failure.text);
    return false;
  }
  return Succeed();
}

bool ZipFileAs(Prompter& prompter, const std::string& source, const std::string& destination,
               const std::string& name) {
  if (source.empty() || destination.empty()) return false;
  return Pack(prompter, source, destination, &name) && Succeed();
}

}  // namespace rostrel
