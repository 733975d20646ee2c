// Kills a paste 200 times, in one folder, as a power cut or a crash would (SIGKILL on Linux,
// TerminateProcess on Windows), before and after the entries file is replaced: after every kill
// the entries file must open as a whole archive holding either the old document or the new one,
// byte for byte, and the next paste must either go through or be refused because the killed one
// left its LEF document behind.

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <utility>

#include "archive/unpack_lxf.h"
#include "support/actions.h"
#include "support/files.h"
#include "support/raw_zip.h"
#include "support/temp_dir.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace rostrel::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// How a run of the victim ended: killed, or by itself with an exit code.
struct Ending {
  bool killed = false;
  int exitCode = -1;
};

// One run of the victim: started, given `delay` after it announced the paste, then killed
// (unless it finished first).
#ifdef _WIN32
struct Victim {
  // The exit code a killed victim gets; the victim itself ends with 0, 1 or 2.
  static constexpr UINT kKilled = 0xDEAD;
  PROCESS_INFORMATION process{};
  HANDLE output = nullptr;
  // Why the start or the wait for the announcement failed, as Windows tells it.
  DWORD error = 0;

  Victim(const std::string& entries, const std::string& clubsFile, const std::string& encoding) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE write = nullptr;
    if (!CreatePipe(&output, &write, &inherited, 0)) {
      error = GetLastError();
      return;
    }
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    // Standard output is the pipe; standard input and error are left closed.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    std::wstring command;
    for (const std::string& arg : {std::string(ROSTREL_PASTE_VICTIM), entries, clubsFile, encoding})
      command += L"\"" + fileops::FsPath(arg).wstring() + L"\" ";
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
      error = GetLastError();
      process = PROCESS_INFORMATION{};
    }
    CloseHandle(write);
  }
  ~Victim() {
    if (output) CloseHandle(output);
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
  }

  bool Started() const { return process.hProcess != nullptr; }

  // The next byte the victim wrote, or 0 when it wrote no more.
  char NextByte() {
    char c = 0;
    DWORD got = 0;
    if (!::ReadFile(output, &c, 1, &got, nullptr)) error = GetLastError();
    return got == 1 ? c : 0;
  }

  // Kills the process (a no-op when it has already ended) and waits for its end.
  Ending KillAndReap() {
    TerminateProcess(process.hProcess, kKilled);
    const int code = Reap();
    return {code == static_cast<int>(kKilled), code};
  }

  int Reap() {
    DWORD code = 0;
    if (!process.hProcess) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    if (!GetExitCodeProcess(process.hProcess, &code)) return -1;
    return static_cast<int>(code);
  }
};
#else
struct Victim {
  pid_t pid = -1;
  int output = -1;
  // Why the start or the wait for the announcement failed (errno).
  int error = 0;

  Victim(const std::string& entries, const std::string& clubsFile, const std::string& encoding) {
    int fds[2];
    if (pipe(fds) != 0) {
      error = errno;
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string program = ROSTREL_PASTE_VICTIM;
    std::vector<char*> argv = {
        const_cast<char*>(program.c_str()), const_cast<char*>(entries.c_str()),
        const_cast<char*>(clubsFile.c_str()), const_cast<char*>(encoding.c_str()), nullptr};
    error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    if (error != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    output = fds[0];
  }
  ~Victim() {
    if (output >= 0) close(output);
  }

  bool Started() const { return pid > 0; }

  // The next byte the victim wrote, or 0 when it wrote no more.
  char NextByte() {
    char c = 0;
    const ssize_t got = read(output, &c, 1);
    if (got < 0) error = errno;
    return got == 1 ? c : 0;
  }

  // Kills the process (a no-op when it has already ended) and reaps it.
  Ending KillAndReap() {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return {true, -1};
    return {false, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
  }

  int Reap() {
    int status = 0;
    if (pid <= 0) return -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};
#endif

// What the victim says on its pipe: "R" as it starts the paste, then "P" or "N" as the paste ends.
bool WaitUntilReady(Victim& victim) { return victim.Started() && victim.NextByte() == 'R'; }
char Outcome(Victim& victim) { return victim.NextByte(); }

// Starts victims. Under Wine, in a CI run, a victim once never announced the paste (the
// test read -1 for its exit code, which it also reads when the start itself fails): a failure of
// the start, not of the paste. Such a run has not begun the paste, so the entries file must be as
// it was; the start is then retried, a few times at most in the whole test, and every failed start
// is told in the summary.
struct Starter {
  static constexpr int kMaxFailed = 5;
  Starter(std::string entries, std::string clubsFile, std::string encoding, std::string old)
      : entries(std::move(entries)),
        clubsFile(std::move(clubsFile)),
        encoding(std::move(encoding)),
        old(std::move(old)) {}

  std::string entries, clubsFile, encoding, old;
  int failed = 0;
  std::string failures;

  // A victim that has announced the paste, or null (with the test failed) when starts keep failing.
  std::unique_ptr<Victim> Start() {
    for (;;) {
      auto victim = std::make_unique<Victim>(entries, clubsFile, encoding);
      if (WaitUntilReady(*victim)) return victim;
      const int code = victim->Reap();
      failures +=
          " (exit code " + std::to_string(code) + ", error " + std::to_string(victim->error) + ")";
      EXPECT_EQ(ReadBytes(entries), old)
          << "a victim that never announced the paste changed the entries file";
      if (++failed > kMaxFailed) {
        ADD_FAILURE() << failed << " starts failed before the paste:" << failures;
        return nullptr;
      }
    }
  }
};

TEST(KillDuringPaste, EntriesFileIsAlwaysTheOldOrTheNewArchive) {
  TempDir folder("rostrel-kill"), side("rostrel-kill-side");
  const std::string entries = folder.file("zgloszenie.lxf");
  const std::string clubsFile = side.file("clubs.txt");
  const std::string old = ReadBytes(Example("zgloszenie-utf8.lxf"));
  const Clubs clubs = SampleClubs();
  const std::string newDocument = SamplePasted();
  WriteBytes(clubsFile, clubs.text);
  Starter starter(entries, clubsFile, clubs.encoding, old);

  // How long a paste takes here, from its announcement to its end: the kills are spread over
  // that span.
  std::vector<Clock::duration> spans;
  for (int i = 0; i < 5; ++i) {
    WriteBytes(entries, old);
    const std::unique_ptr<Victim> victim = starter.Start();
    ASSERT_TRUE(victim);
    const auto started = Clock::now();
    ASSERT_EQ(Outcome(*victim), 'P');
    spans.push_back(Clock::now() - started);
    victim->Reap();
  }
  std::sort(spans.begin(), spans.end());
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(spans[2]);
  ASSERT_GT(span.count(), 0);

  // Most kills come at a random moment of the paste. Every fourth is steered to where the
  // entries file is replaced, near the paste's end, where random moments seldom land (and under
  // Wine perhaps never): a run that finished first brings the next steered kill earlier, one that
  // left the old file takes it later.
  std::mt19937 random(20261207);
  std::uniform_int_distribution<long> delay(0, span.count() * 5 / 4);
  long late = span.count();
  const long step = std::max(1L, static_cast<long>(span.count() / 16));
  int kills = 0, attempts = 0, finished = 0, oldKept = 0, newWritten = 0, damaged = 0;
  int nextPasted = 0, nextRefused = 0;
  while (kills < 200 && attempts < 2000) {
    ++attempts;
    WriteBytes(entries, old);
    const std::unique_ptr<Victim> victim = starter.Start();
    ASSERT_TRUE(victim) << "run " << attempts;
    const bool steered = attempts % 4 == 0;
    std::this_thread::sleep_for(std::chrono::microseconds(steered ? late : delay(random)));
    const Ending ending = victim->KillAndReap();
    if (!ending.killed) {
      // It finished before the kill came: then the paste, in a folder holding whatever the
      // earlier kills left, must have gone through. The victim's own word is taken for that,
      // not its exit code: under Wine, ending a program has been seen to fail after its work.
      EXPECT_EQ(Outcome(*victim), 'P') << "run " << attempts << ", exit code " << ending.exitCode;
      ++finished;
      if (steered) late = std::max(0L, late - step);
      continue;
    }
    ++kills;

    const ArchiveContents now = ReadArchive(entries);
    if (ReadBytes(entries) == old) {
      ++oldKept;
      if (steered) late += step;
    } else if (now.whole && now.order == std::vector<std::string>{"zawody.lef"} &&
               now.members.at("zawody.lef") == newDocument) {
      ++newWritten;
    } else {
      ++damaged;
      ADD_FAILURE() << "kill " << kills << ": the entries file is damaged: " << now.error;
    }

    // What a kill may leave: the program's own temporary files, which no user takes for theirs
    // and no later paste trips over, and the unpacked document, which the next paste asks the
    // user to remove.
    for (const auto& entry : fs::directory_iterator(folder.fs())) {
      const std::string name = fileops::Utf8(entry.path().filename());
      EXPECT_TRUE(name == "zgloszenie.lxf" || name == "zawody.lef" ||
                  std::regex_match(name, std::regex(R"(\.rostrel-[0-9a-z]{8}\.tmp)")))
          << "kill " << kills << " left " << name;
    }

    // The next paste goes through, or is refused by the check for LEF documents in the folder,
    // whose message tells the user what to remove; the user removes it, as the next one would.
    const PasteRun next = PasteThrough(entries, clubs);
    std::vector<fs::path> documents;
    for (const auto& entry : fs::directory_iterator(folder.fs()))
      if (entry.path().extension() == ".lef") documents.push_back(entry.path());
    if (next.replaced) {
      ++nextPasted;
      EXPECT_EQ(ReadArchive(entries).members.at("zawody.lef"), newDocument)
          << "after kill " << kills;
    } else {
      ++nextRefused;
      EXPECT_EQ(next.shown, (std::vector<Shown>{Confirmation(), Stop(kLefFilesPresentMessage)}))
          << "after kill " << kills;
      EXPECT_FALSE(documents.empty()) << "refused after kill " << kills << " with no LEF document";
    }
    for (const fs::path& document : documents) fs::remove(document);
  }
  std::printf(
      "[ summary  ] %d of %d kills (a paste takes %lld us; %d more runs finished first, "
      "all successfully): %d left the old entries file, %d the new one, %d damaged; "
      "the next paste went through %d times and was refused %d times; %d starts failed before "
      "the paste%s\n",
      kills, 200, static_cast<long long>(span.count()), finished, oldKept, newWritten, damaged,
      nextPasted, nextRefused, starter.failed, starter.failures.c_str());
  EXPECT_EQ(kills, 200);
  // Kills landed on both sides of the replacement, or the schedule tested only one of them.
  EXPECT_GT(oldKept, 0);
  EXPECT_GT(newWritten, 0);

  std::string left;
  for (const auto& [name, content] : Snapshot(folder.fs()))
    if (name != "zgloszenie.lxf") left += " " + name;
  std::printf("[ summary  ] left in the folder by the kills:%s\n", left.c_str());
}

}  // namespace
}  // namespace rostrel::testing
