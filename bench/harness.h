#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/fake_prompter.h"

namespace rostrel::bench {

// The tests' scripted user stands in for the benchmark's: it picks the queued files in the
// dialog and answers OK to everything, keeping every message so that a failed run can say what
// the program told its user.
using testing::FakePrompter;

// A message as a failed run reports it: "title: text".
std::string Describe(const FakePrompter::Message& message);

// Ends the benchmark: throws with `what` and every message the program showed.
void Fail(const std::string& what, const FakePrompter& prompter);

// Frees what a previous run left in `x`, before the next run starts. (Assigning an empty value
// would not do: a string keeps its buffer when given a short one.)
template <class T>
void Drop(T& x) {
  T old(std::move(x));
}

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
// Removes the LEF documents (*.lef, *.LEF) that an unpacking left in `dir`.
void RemoveLefFiles(const std::string& dir);

// The files a session of the program starts with, copied from one generated set into a clean
// work folder: the database beside the entries file's own folder.
struct SessionFiles {
  std::string database;  // WORK/baza.lxf
  std::string entries;   // WORK/paste/zgloszenie.lxf
};
SessionFiles CopySessionFiles(const std::string& setDir, const std::string& work);

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
