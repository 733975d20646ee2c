#include "bench/harness.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace rostrel::bench {

namespace fs = std::filesystem;

std::string Describe(const FakePrompter::Message& message) {
  return message.title + ": " + message.text;
}

void Fail(const std::string& what, const FakePrompter& prompter) {
  std::string text = what;
  for (const FakePrompter::Message& m : prompter.messages) text += "\n  message: " + Describe(m);
  throw std::runtime_error(text);
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double BestOf(int runs, const std::function<void()>& setup, const std::function<bool()>& body) {
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0; i < runs; ++i) {
    if (setup) setup();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = body();
    const double took = Seconds(std::chrono::steady_clock::now() - start);
    if (!ok) return -1;
    if (took < best) best = took;
  }
  return best;
}

double RunProgram(const std::vector<std::string>& argv, std::string* out) {
  int pipeFds[2] = {-1, -1};
  if (out && pipe(pipeFds) != 0) return -1;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    int target = out ? pipeFds[1] : open("/dev/null", O_WRONLY);
    dup2(target, STDOUT_FILENO);
    if (out) {
      close(pipeFds[0]);
      close(pipeFds[1]);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (out) {
    close(pipeFds[1]);
    out->clear();
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) out->append(buf, static_cast<size_t>(n));
    close(pipeFds[0]);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const double took = Seconds(std::chrono::steady_clock::now() - start);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return took;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void CopyOver(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

void RemoveIfThere(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

void MakeCleanDir(const std::string& path) {
  fs::remove_all(path);
  fs::create_directories(path);
}

long long FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  return ec ? -1 : static_cast<long long>(size);
}

void RemoveLefFiles(const std::string& dir) {
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string ext = e.path().extension().string();
    if (ext == ".lef" || ext == ".LEF") fs::remove(e.path());
  }
}

SessionFiles CopySessionFiles(const std::string& setDir, const std::string& work) {
  MakeCleanDir(work);
  fs::create_directories(work + "/paste");
  const SessionFiles files{work + "/baza.lxf", work + "/paste/zgloszenie.lxf"};
  CopyOver(setDir + "/baza.lxf", files.database);
  CopyOver(setDir + "/zgloszenie.lxf", files.entries);
  return files;
}

bool FreadFile(const std::string& path, size_t size) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::unique_ptr<char[]> buffer(new char[size]);
  const size_t got = std::fread(buffer.get(), 1, size, f);
  std::fclose(f);
  return got == size;
}

bool FreadStream(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  static char buffer[1 << 16];
  while (std::fread(buffer, 1, sizeof buffer, f) > 0) {
  }
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool TouchFreshMemory(size_t size) {
  std::unique_ptr<char[]> memory(new char[size]);
  volatile char* p = memory.get();
  for (size_t i = 0; i < size; i += 4096) p[i] = 1;
  return p[0] == 1;
}

bool FwriteSyncFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = fsync(fileno(f)) == 0 && ok;
  return std::fclose(f) == 0 && ok;
}

namespace {

long long StatusField(const char* name) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(name) + ":";
  while (std::getline(in, line)) {
    if (line.rfind(prefix, 0) == 0) return std::stoll(line.substr(prefix.size())) * 1024;
  }
  return -1;
}

}  // namespace

long long PeakResidentBytes() { return StatusField("VmHWM"); }
long long ResidentBytes() { return StatusField("VmRSS"); }

bool ResetPeakResident() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace rostrel::bench
