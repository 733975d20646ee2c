#!/usr/bin/env bash
# Builds the benchmark in Release, generates the LENEX files and prints the table.
#   bash bench/run.sh                 N = 100, 10,000 and 100,000, both encodings
#   bash bench/run.sh 100 10000       only these sizes
# The build folder (default build-bench) also holds the generated files and the runs' work.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ROSTREL_BENCH_BUILD:-build-bench}
for tool in cmake ninja python3 unzip zip; do
  command -v "$tool" >/dev/null || { echo "bench/run.sh needs $tool (bash scripts/setup.sh installs it)" >&2; exit 1; }
done
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(100 10000 100000)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DROSTREL_BUILD_BENCH=ON \
  -DROSTREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target rostrel_bench rostrel_layout_bench -j2 >/dev/null

python3 bench/generate.py "$build/bench-data" "${counts[@]}"

echo
echo "## Machine"
echo
echo "- processors: $(nproc), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "- memory: $(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo)"
echo "- load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
if command -v lscpu >/dev/null; then
  echo "- caches: $(lscpu | awk -F: '/L[123][di]? cache/ {gsub(/^ +/, "", $2); printf "%s%s %s", sep, $1, $2; sep = ", "}')"
fi
echo "- $(unzip -v | head -1 | cut -d, -f1); $(zip -v | sed -n 2p | sed 's/^ *This is //' | cut -d, -f1)"
echo "- libzip $(pkg-config --modversion libzip), zlib $(pkg-config --modversion zlib), $(python3 --version), Linux $(uname -r)"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
joined=$(IFS=,; echo "${counts[*]}")
"$build/bench/rostrel_bench" "$build/bench-data" "$build/bench-work" \
  --python bench/python_anchor.py --counts "$joined" 2> >(grep -v XDG_RUNTIME_DIR >&2)

# The layout of a document not written one element per line, on the largest database.
largest=$(printf '%s\n' "${counts[@]}" | sort -n | tail -1)
echo
echo "## Layout and tag balance, N = $largest"
"$build/bench/rostrel_layout_bench" "$build/bench-data/$largest/cp1250/lef/baza.lef"
