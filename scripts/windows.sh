#!/usr/bin/env bash
# Builds Rostrel for 64-bit Windows and ships it. Installs what it needs (apt-get as root, or
# through sudo), puts the Windows SDK in place (scripts/windows-sdk.sh), cross-builds Rostrel.exe
# and the tests in build-win/, runs the tests under Wine on an Xvfb display of its own, writes
# build-win/Rostrel-<version>-win64.zip and build-win/Rostrel-<version>-setup.exe (Rostrel.exe
# and the setup signed when a certificate is given, see scripts/sign.sh), and checks under Wine
# that the zip's program starts and its manual lies beside it, and that the installer installs
# silently, with the manual and its Start-menu shortcut, that the installed program shows its
# start window and that the uninstaller removes it all again. Wine's C-runtime error channel is
# on throughout, and any "err:msvcrt" line from our programs fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
build=build-win
root=$PWD

bash scripts/setup.sh g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev \
  wine wine64 nsis python3-pefile osslsigncode
bash scripts/windows-sdk.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j2
version=$(sed -n 's/^#define ROSTREL_VERSION_TEXT "\(.*\)"$/\1/p' "$build/app/version.h")

# Wine, on a display of its own. Every Wine prefix here lives in the build folder; its server is
# kept running ("wineserver -p") so that the hundreds of test programs start fast, and its
# windows open on a virtual desktop, where Wine places and shows them without waiting for an X
# window manager. Of Wine's debugging channels only its C runtime's errors are on: each marks a
# call that Windows' own runtime refuses or treats differently (see scripts/wine-test.sh).
export WINEDEBUG=-all,err+msvcrt WINEDLLOVERRIDES="mscoree,mshtml="
display_file=$(mktemp)
xvfb_pid=""
prefixes=()
stop_all() {
  for prefix in "${prefixes[@]}"; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
}
trap stop_all EXIT
trap 'exit 143' TERM INT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$display_file")"

# Runs a Windows program under Wine, once more if Wine broke in its own loader as the program
# ended (see scripts/wine-test.sh, through which ctest runs the tests too).
run_wine() { bash "$root/scripts/wine-test.sh" wine "$@"; }

use_prefix() {
  export WINEPREFIX=$1
  prefixes+=("$1")
  rm -rf "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  run_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  run_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p </dev/null >/dev/null 2>&1
  wineboot </dev/null >/dev/null 2>&1
}

# Starts a Windows program and waits for its start window (its title ends in " - Rostrel"); the
# program is stopped again either way. Wine's C-runtime errors from the program fail the check.
see_start_window() {
  local errors
  errors=$(mktemp)
  wine "$1" </dev/null >/dev/null 2>"$errors" &
  local program=$!
  local seen=0
  run_wine "$root/$build/bin/window_shown.exe" " - Rostrel" 60 || seen=$?
  kill -KILL "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  if grep 'err:msvcrt' "$errors"; then
    echo "$1: Wine's C runtime reported errors (above)"
    seen=1
  fi
  rm -f "$errors"
  return "$seen"
}

echo "== Tests under Wine (display $DISPLAY)"
use_prefix "$root/$build/wine"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300

echo "== Packing"
# Signs Rostrel.exe on its way into the zip and the setup, when a certificate is given.
cmake --build "$build" --target windows_package
zip="$build/Rostrel-$version-win64.zip"
setup="$build/Rostrel-$version-setup.exe"
bash scripts/sign.sh "$setup"

echo "== The zip's program, unpacked into a folder with Polish letters and blanks"
unpacked="$root/$build/próba zip"
rm -rf "$unpacked" && mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$root/$zip")
[ -s "$unpacked/Rostrel-$version-win64/instrukcja.html" ] ||
  { echo "no manual beside the zip's program: instrukcja.html"; exit 1; }
see_start_window "$unpacked/Rostrel-$version-win64/Rostrel.exe"
rm -rf "$unpacked"

echo "== The installer, on a fresh Wine prefix"
use_prefix "$root/$build/wine-install"
installed="$WINEPREFIX/drive_c/Program Files/Rostrel"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Rostrel.lnk"
manual_shortcut="${shortcut%/*}/Instrukcja programu Rostrel.lnk"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Rostrel'
run_wine "$root/$setup" /S
[ -f "$installed/Rostrel.exe" ] || { echo "not installed: $installed/Rostrel.exe"; exit 1; }
[ -f "$shortcut" ] || { echo "no Start-menu shortcut: $shortcut"; exit 1; }
[ -s "$installed/instrukcja.html" ] || { echo "no manual: $installed/instrukcja.html"; exit 1; }
grep -qaF 'C:\Program Files\Rostrel\instrukcja.html' "$manual_shortcut" 2>/dev/null ||
  { echo "no Start-menu shortcut to the manual: $manual_shortcut"; exit 1; }
run_wine reg query "$entry" /v DisplayVersion 2>/dev/null | tr -d '\r' | grep -q "REG_SZ *$version$" ||
  { echo "no entry with version $version in the list of installed programs"; exit 1; }
echo "installed: $installed with the manual, both Start-menu shortcuts and the list entry with" \
  "version $version"
see_start_window 'C:\Program Files\Rostrel\Rostrel.exe'
wine 'C:\Program Files\Rostrel\Odinstaluj.exe' /S
# The uninstaller runs on from a copy of itself; wait for it to finish.
for _ in $(seq 600); do [ -e "$installed" ] || break; sleep 0.1; done
[ ! -e "$installed" ] || { echo "the uninstaller left $installed"; exit 1; }
[ ! -e "$shortcut" ] || { echo "the uninstaller left $shortcut"; exit 1; }
[ ! -e "$manual_shortcut" ] || { echo "the uninstaller left $manual_shortcut"; exit 1; }
if run_wine reg query "$entry" >/dev/null 2>&1; then
  echo "the uninstaller left the entry in the list of installed programs"
  exit 1
fi
echo "uninstalled: folder, both shortcuts and list entry gone"

echo "== Written"
ls -l "$zip" "$setup"
echo "scripts/windows.sh took $((SECONDS - started)) s"
