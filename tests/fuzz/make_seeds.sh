#!/usr/bin/env bash
# Makes the fuzz targets' seed corpora from the sample files in examples/:
#   make_seeds.sh OUTPUT_DIR
# OUTPUT_DIR/<target>/ gets the LXF archives (unpack), their LEF documents (read_clubs,
# rewrite_entries, each with a leading byte that picks the database's encoding) and their
# athlete lines (parse_athletes, with a leading byte that picks the encoding).
set -euo pipefail
out=${1:?usage: make_seeds.sh OUTPUT_DIR}
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
mkdir -p "$out"/{read_clubs,parse_athletes,rewrite_entries,unpack}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for lxf in "$examples"/*.lxf; do
  name=$(basename "$lxf" .lxf)
  cp "$lxf" "$out/unpack/$name.lxf"
  unzip -p "$lxf" > "$work/$name.lef"
  cp "$work/$name.lef" "$out/read_clubs/$name.lef"
  for pick in 0 1; do
    { printf "\\x0$pick"; cat "$work/$name.lef"; } > "$out/rewrite_entries/$pick-$name.lef"
  done
  # 0 UTF-8, 1 Windows-1250, 2 ISO-8859-2: the first byte of a parse_athletes input.
  case $name in *utf8) pick=0 ;; *) pick=1 ;; esac
  if grep -aq '<ATHLETE ' "$work/$name.lef"; then
    { printf "\\x0$pick"; grep -a '<ATHLETE ' "$work/$name.lef"; } > "$out/parse_athletes/$name.txt"
    { printf "\\x02"; grep -a '<ATHLETE ' "$work/$name.lef"; } > "$out/parse_athletes/$name-latin2.txt"
  fi
done

# The 22-byte empty archive, and one document whose first line carries a byte-order mark.
printf 'PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' > "$out/unpack/empty.zip"
{ printf '\xEF\xBB\xBF'; cat "$work/baza-utf8.lef"; } > "$out/read_clubs/bom.lef"
echo "seeds: $(find "$out" -type f | wc -l) files in $out"
