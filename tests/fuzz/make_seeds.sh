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

# Archives of other shapes, so that the unpacker's less common paths have a start: ZIP64
# records, folders, bzip2 and LZMA members, a stored member, names that must be refused.
python3 - "$out/unpack" "$work/baza-utf8.lef" <<'PY'
import sys, warnings, zipfile
warnings.simplefilter("ignore")  # the duplicate name is meant
out, lef = sys.argv[1], open(sys.argv[2], 'rb').read()
def make(name, members, **kw):
    with zipfile.ZipFile(f"{out}/{name}.zip", "w", **kw) as z:
        for member, data, method in members:
            z.writestr(zipfile.ZipInfo(member), data, compress_type=method)
D, S = zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED
make("zip64", [("baza.lef", lef, D)], allowZip64=True)
with zipfile.ZipFile(f"{out}/forced-zip64.zip", "w") as z:
    with z.open("baza.lef", "w", force_zip64=True) as f:
        f.write(lef)
make("folders", [("sub/", b"", S), ("sub/baza.lef", lef, D), ("x.lef/", b"", S)])
make("bzip2", [("baza.lef", lef, zipfile.ZIP_BZIP2)])
make("lzma", [("baza.lef", lef, zipfile.ZIP_LZMA)])
make("stored", [("baza.lef", lef, S), ("opis.txt", b"opis\r\n", S)])
make("parent", [("../baza.lef", lef, D)])
make("absolute", [("/tmp/baza.lef", lef, D)])
make("drive", [("C:\\baza.lef", lef, D)])
make("twice", [("baza.lef", lef, D), ("baza.lef", b"x", D)])
PY

# The 22-byte empty archive, and one document whose first line carries a byte-order mark.
printf 'PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' > "$out/unpack/empty.zip"
{ printf '\xEF\xBB\xBF'; cat "$work/baza-utf8.lef"; } > "$out/read_clubs/bom.lef"
echo "seeds: $(find "$out" -type f | wc -l) files in $out"
