#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/prompter.h"

namespace rostrel::bench {

// Stands in for the user: picks the queued files in the dialog and answers OK to everything,
// keeping every message so that a failed run can say what the program told its user.
class ScriptedPrompter : public Prompter {
 public:
  Answer message(const std::string& text, const std::string& title, Icon, Buttons) override {
    messages.push_back(title + ": " + text);
    return Answer::Ok;
  }
  void showOpen(FileDialogSettings& dialog) override {
    dialog.fileName = picks.empty() ? std::string() : picks.front();
    if (!picks.empty()) picks.pop_front();
  }
  std::deque<std::string> picks;
  std::vector<std::string> messages;
};

double Seconds(std::chrono::steady_clock::duration d);

// Runs setup (untimed) and body (timed) `runs` times and returns the fastest body, in seconds.
// A body that returns false stops the measurement: the result is then negative.
double BestOf(int runs, const std::function<void()>& setup, const std::function<bool()>& body);

// Runs a program and waits for it; stdout goes to /dev/null unless `out` is given, in which case
// it is collected there. Returns the wall time in seconds, or a negative number when the program
// could not be started or did not exit with 0.
double RunProgram(const std::vector<std::string>& argv, std::string* out = nullptr);

// Plain file helpers for setting up runs; they throw on failure, which ends the benchmark.
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
void CopyOver(const std::string& from, const std::string& to);
void RemoveIfThere(const std::string& path);
void MakeCleanDir(const std::string& path);
long long FileSize(const std::string& path);

// The floors: the plain reading and writing of the same bytes that a stage must handle.
// Reads `size` bytes into fresh memory with one fread, as any reader of a new file must (the
// memory's first touch is part of the cost).
bool FreadFile(const std::string& path, size_t size);
// Reads the file through one reused 64 KB buffer, keeping nothing.
bool FreadStream(const std::string& path);
// Allocates `size` bytes and writes each page once: what the first touch of new memory costs.
bool TouchFreshMemory(size_t size);
bool FwriteSyncFile(const std::string& path, const std::string& bytes);  // fwrite, fsync

// Peak and current resident memory of this process in bytes (VmHWM, VmRSS), and a reset of
// the peak (through /proc/self/clear_refs); the reset returns false where the kernel refuses it.
long long PeakResidentBytes();
long long ResidentBytes();
bool ResetPeakResident();

}  // namespace rostrel::bench
