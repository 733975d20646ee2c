#!/usr/bin/env bash
# Makes the Debian package build/deb/rostrel_<version>_<architecture>.deb with cpack from the plain
# build folder, stripped, and checks it with lintian, which must find no error and no warning. Only
# the program, its manual page and its HTML manual are built here; after scripts/test.sh, which
# builds everything in the same folder, they are up to date already.
#
# With --check it then validates the package's menu entry (desktop-file-validate) and its entry
# for software centres (appstreamcli, offline) and tries the package as a user would get it:
# installs it with apt-get from the package's own file, with what the machine already has,
# starts the installed /usr/bin/rostrel on an Xvfb display of its own and waits for its start
# window, ends the program, purges the package and checks that none of the files it brought is
# left. Nothing of the check goes to the network. It needs root (or sudo) and a machine where
# Rostrel is not installed yet, but its dependencies are (scripts/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) echo "usage: bash scripts/deb.sh [--check]" >&2; exit 2 ;;
esac
build=build
out=$build/deb
title="..::Kestova::.. - Rostrel"

fail() {
  echo "scripts/deb.sh: FAILED: $*" >&2
  exit 1
}

# cpack's dependency scan needs file and dpkg-dev; the checks need lintian, xwininfo,
# desktop-file-validate and appstreamcli.
bash scripts/setup.sh file dpkg-dev lintian x11-utils desktop-file-utils appstream

echo "== Building the package"
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target rostrel rostrel_docs rostrel_manual
rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" || fail "cpack could not make the package"
debs=("$out"/rostrel_*.deb)
[ -f "${debs[0]}" ] || fail "cpack wrote no rostrel_*.deb into $out"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
logged=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
[ "$version" = "$logged" ] ||
  fail "the package has version $version, but the newest entry in packaging/debian/changelog" \
    "is $logged: add an entry for $version there"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb" ||
  fail "lintian found errors or warnings in $deb (listed above)"
echo "lintian: no errors, no warnings"

if [ "$check" -eq 0 ]; then
  ls -l "$deb"
  echo "scripts/deb.sh took $((SECONDS - started)) s"
  exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
installed() { dpkg-query -W -f='${Status}\n' rostrel 2>/dev/null | grep -qv 'not-installed'; }
installed && fail "rostrel is already installed on this machine; purge it first (apt-get purge rostrel)"

scratch=$(mktemp -d)
xvfb_pid=""
program_pid=""
purged=0
clean_up() {
  [ -z "$program_pid" ] || kill -KILL "$program_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  # A check that failed half-way must not leave the package installed.
  if [ "$purged" -eq 0 ] && installed; then
    echo "scripts/deb.sh: purging rostrel after the failed check" >&2
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y rostrel >/dev/null 2>&1 || true
  fi
  rm -rf "$scratch"
}
trap clean_up EXIT
trap 'exit 143' TERM INT

echo "== 1. The menu entry and the entry for software centres"
mkdir "$scratch/tree"
dpkg-deb -x "$deb" "$scratch/tree"
desktop-file-validate "$scratch/tree/usr/share/applications/rostrel.desktop" ||
  fail "step 1: desktop-file-validate found faults in the menu entry (listed above)"
# The whole tree: the entry itself, and that the menu entry it names is there.
appstreamcli validate-tree --no-net --pedantic "$scratch/tree" ||
  fail "step 1: appstreamcli found faults in the entry for software centres (listed above)"

echo "== 2. Installing $deb with apt-get"
# Without recommended packages: what the program needs must be among the package's dependencies.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y --no-install-recommends "./$deb" ||
  fail "step 2: apt-get could not install $deb"
installed || fail "step 2: apt-get ended, but dpkg does not list rostrel as installed"
dpkg -L rostrel >"$scratch/files"
for file in /usr/bin/rostrel /usr/share/applications/rostrel.desktop \
  /usr/share/icons/hicolor/32x32/apps/rostrel.png /usr/share/doc/rostrel/instrukcja.html \
  /usr/share/metainfo/pl.rostrel.rostrel.metainfo.xml; do
  if ! grep -qxF "$file" "$scratch/files" || [ ! -f "$file" ]; then
    fail "step 2: the installed package has no $file"
  fi
done
# The action "Instrukcja" opens the very file the package installed.
grep -qxF "Exec=xdg-open /usr/share/doc/rostrel/instrukcja.html" \
  /usr/share/applications/rostrel.desktop ||
  fail "step 2: the menu entry's action does not open /usr/share/doc/rostrel/instrukcja.html"
echo "installed: $(grep -c . "$scratch/files") paths, among them /usr/bin/rostrel"

echo "== 3. Starting /usr/bin/rostrel: its version, then its start window on Xvfb"
# As from a terminal with no display: the version needs none.
shown_version=$(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 /usr/bin/rostrel --version) ||
  fail "step 3: rostrel --version failed"
[ "$shown_version" = "Rostrel $version" ] ||
  fail "step 3: rostrel --version printed \"$shown_version\", not \"Rostrel $version\""
echo "rostrel --version: $shown_version"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || fail "step 3: Xvfb did not start"
display=":$(head -n1 "$scratch/display")"
# As from a desktop menu: a plain environment, no build folder or test setting (such as
# QT_QPA_PLATFORM=offscreen) inherited from this script's caller.
mkdir -m 700 "$scratch/home" "$scratch/runtime"
env -i DISPLAY="$display" HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
  PATH=/usr/bin:/bin LANG=C.UTF-8 /usr/bin/rostrel >"$scratch/program.log" 2>&1 &
program_pid=$!
# Within 60 s, a window with the start window's title must be mapped and viewable.
seen=0
for _ in $(seq 600); do
  if ! kill -0 "$program_pid" 2>/dev/null; then
    cat "$scratch/program.log" >&2
    fail "step 3: the installed program ended before showing its start window (its output above)"
  fi
  window=$(xwininfo -display "$display" -root -tree 2>/dev/null |
    grep -F "\"$title\"" | awk '{print $1; exit}' || true)
  if [ -n "$window" ] &&
    xwininfo -display "$display" -id "$window" 2>/dev/null | grep -q 'Map State: IsViewable'; then
    seen=1
    break
  fi
  sleep 0.1
done
if [ "$seen" -eq 0 ]; then
  xwininfo -display "$display" -root -tree >&2 || true
  cat "$scratch/program.log" >&2
  fail "step 3: no viewable window titled \"$title\" within 60 s (windows and program output above)"
fi
echo "start window shown: $window \"$title\""
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=""

echo "== 4. Purging the package"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y rostrel ||
  fail "step 4: apt-get could not purge rostrel"
purged=1
installed && fail "step 4: dpkg still lists rostrel after the purge"
# Every path the package brought must be gone, except folders that other packages own too.
left=()
folders=()
while IFS= read -r path; do
  [ "$path" != "/." ] || continue
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    folders+=("$path")
  elif [ -e "$path" ] || [ -L "$path" ]; then
    left+=("$path")
  fi
done <"$scratch/files"
if [ ${#folders[@]} -gt 0 ]; then
  owned=$(dpkg-query -S "${folders[@]}" 2>/dev/null | sed 's/.*: //' || true)
  for folder in "${folders[@]}"; do
    grep -qxF "$folder" <<<"$owned" || left+=("$folder")
  done
fi
[ ${#left[@]} -eq 0 ] || fail "step 4: the purge left these paths of the package: ${left[*]}"
echo "purged: none of the package's files is left"

ls -l "$deb"
echo "scripts/deb.sh took $((SECONDS - started)) s"
