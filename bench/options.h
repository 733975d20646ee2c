#pragma once

#include <string>
#include <vector>

namespace rostrel::bench {

// What the command line asks for when it asks for the table.
struct Options {
  std::string generated, work, python = "bench/python_anchor.py";
  std::vector<int> counts = {100, 10000, 100000};
  std::vector<std::string> encodings = {"cp1250", "utf8"};
  bool gui = true;
};

// Reads GENERATED_DIR WORK_DIR [--python SCRIPT] [--counts 100,10000,100000]
// [--encodings cp1250,utf8] [--no-gui]; needs argc >= 3 and throws on an unknown option.
Options ParseOptions(int argc, char** argv);

}  // namespace rostrel::bench
