// Times each stage of opening an athlete database and pasting it into an entries file on the
// generated LENEX files, beside the floors that bound each stage (Info-ZIP, a plain fread),
// and prints the table. Usage:
//   rostrel_bench GENERATED_DIR WORK_DIR [--python SCRIPT] [--counts 100,10000,100000]
//                 [--encodings cp1250,utf8] [--no-gui]
//   rostrel_bench --profile STAGE GENERATED_DIR/N/ENC WORK_DIR [REPEAT]
// GENERATED_DIR is what bench/generate.py wrote; WORK_DIR is emptied and used for the runs.

#include <malloc.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "bench/gui_stages.h"
#include "bench/memory_peaks.h"
#include "bench/options.h"
#include "bench/profile.h"
#include "bench/report.h"
#include "bench/stages.h"

namespace rostrel::bench {
namespace {

// The table: every count in both encodings, each set's section printed as soon as it is done,
// then the scaling between the sizes.
int PrintTable(int argc, char** argv) {
  const Options opt = ParseOptions(argc, argv);
  if (opt.gui) StartGui(argc, argv);
  std::vector<Results> all;
  for (int n : opt.counts) {
    for (const std::string& enc : opt.encodings) {
      DataSet set{n, enc, opt.generated + "/" + std::to_string(n) + "/" + enc};
      all.push_back(Measure(opt, set));
      Print(all.back());
    }
  }
  PrintScaling(all);
  StopGui();
  return 0;
}

int Run(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--child-memory") return ChildMemory(argv[2], argv[3]);
  if (argc == 4 && std::string(argv[1]) == "--child-session") {
    StartGui(argc, argv);
    const int status = ChildSession(argv[2], argv[3]);
    StopGui();
    return status;
  }
  if (argc >= 5 && std::string(argv[1]) == "--profile")
    return Profile(argv[2], argv[3], argv[4], argc > 5 ? std::stoi(argv[5]) : 10);
  if (argc < 3) {
    std::cerr << "usage: rostrel_bench GENERATED_DIR WORK_DIR [--python SCRIPT] "
                 "[--counts 100,10000,100000] [--encodings cp1250,utf8] [--no-gui]\n";
    return 2;
  }
  return PrintTable(argc, argv);
}

}  // namespace
}  // namespace rostrel::bench

int main(int argc, char** argv) {
  // glibc serves large blocks from fresh mappings only until the first one is freed; after that
  // it raises its threshold (up to 32 MB) and reuses memory already touched. Repeated runs would
  // then time a 3 MB document in warm memory and a 30 MB one in fresh memory. A fixed threshold
  // gives every size what the program's first open gets: fresh memory.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  try {
    return rostrel::bench::Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "benchmark failed: " << e.what() << "\n";
    rostrel::bench::StopGui();
    return 1;
  }
}
