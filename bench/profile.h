#pragma once

#include <string>

namespace rostrel::bench {

// Runs one stage `repeat` times over one generated set, for a profiler (perf record, valgrind
// --tool=callgrind). The stages: readclubs readclubstext convert parse unpack pack open.
// Returns 0, 1 when the stage failed, or 2 for an unknown stage.
int Profile(const std::string& stage, const std::string& setDir, const std::string& work,
            int repeat);

}  // namespace rostrel::bench
