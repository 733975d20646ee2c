#include "bench/options.h"

#include <sstream>
#include <stdexcept>

namespace rostrel::bench {
namespace {

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> parts;
  std::stringstream in(s);
  std::string part;
  while (std::getline(in, part, ',')) parts.push_back(part);
  return parts;
}

}  // namespace

Options ParseOptions(int argc, char** argv) {
  Options opt;
  opt.generated = argv[1];
  opt.work = argv[2];
  for (int i = 3; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--python" && i + 1 < argc)
      opt.python = argv[++i];
    else if (a == "--counts" && i + 1 < argc) {
      opt.counts.clear();
      for (const std::string& c : Split(argv[++i])) opt.counts.push_back(std::stoi(c));
    } else if (a == "--encodings" && i + 1 < argc)
      opt.encodings = Split(argv[++i]);
    else if (a == "--no-gui")
      opt.gui = false;
    else
      throw std::runtime_error("unknown option " + a);
  }
  return opt;
}

}  // namespace rostrel::bench
