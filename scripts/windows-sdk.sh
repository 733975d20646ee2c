#!/usr/bin/env bash
# Puts the Windows cross-build SDK in /opt/rostrel-windows-sdk: Qt 6.4.2 qtbase and libzip 1.7.3 for
# 64-bit Windows, built with MinGW-w64 (GCC 12, posix threads) from Debian 12's own source packages.
# Unpacks the prepared SDK from ../shared/windows-sdk/ beside the project when it is there (or from
# the folder named by ROSTREL_SHARED_SDK); otherwise builds the same SDK from Debian's sources with
# the same commands, which takes about twenty minutes on two cores. Does nothing when the SDK is
# already in place. Runs as root, or through sudo for anyone else.
set -euo pipefail
cd "$(dirname "$0")/.."
sdk=/opt/rostrel-windows-sdk
prepared=${ROSTREL_SHARED_SDK:-../shared/windows-sdk}/rostrel-windows-sdk.tar.xz
prepared_sha256=65017b9eff2f83f8e3f1d781c5754dbf34e6486458585cf49c5b5ef4c02d5e98

if [ -f "$sdk/bin/Qt6Core.dll" ] && [ -f "$sdk/lib/libzip.a" ]; then
  exit 0
fi
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

if [ -f "$prepared" ]; then
  echo "Unpacking the prepared Windows SDK from $prepared"
  echo "$prepared_sha256  $prepared" | sha256sum --check --quiet
  "${as_root[@]}" tar -C /opt -xJf "$prepared"
  exit 0
fi

echo "No prepared Windows SDK at $prepared: building it from Debian's sources (about twenty minutes on two cores)."
# The commands of the prepared SDK's build-sdk.sh, less its final packing into a tarball.
build=$(mktemp)
trap 'rm -f "$build"' EXIT
cat > "$build" <<'BUILD'
set -euo pipefail
work=$(mktemp -d)
prefix=/opt/rostrel-windows-sdk
cd "$work"

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix mingw-w64-tools \
  libz-mingw-w64-dev qt6-base-dev qt6-base-dev-tools cmake ninja-build dpkg-dev xz-utils >/dev/null

# Debian's source packages: enable deb-src for this download only.
src=/etc/apt/sources.list.d/rostrel-sdk-src.sources
printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' > "$src"
trap 'rm -f "$src"' EXIT
apt-get update -qq
apt-get source --download-only qt6-base=6.4.2+dfsg-10 libzip=1.7.3-1 >/dev/null
rm -f "$src"; apt-get update -qq

cat > mingw.cmake <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

# qtbase. Debian's source leaves out the Wintab headers (src/3rdparty/wintab), so the Windows
# platform plugin is built without graphics-tablet support.
rm -rf qtbase-everywhere-src-6.4.2 && tar xf qt6-base_6.4.2+dfsg.orig.tar.xz
win=qtbase-everywhere-src-6.4.2/src/plugins/platforms/windows
sed -i 's/QT_CONFIG(tabletevent)/0 \/* no Wintab headers in this source tree *\//' \
  "$win/qwindowscontext.cpp" "$win/qwindowspointerhandler.cpp" "$win/qwindowspointerhandler.h"
# Qt 6.4 keeps "dynamicgl" on when OpenGL is off; the plugin then needs OpenGL classes.
sed -i 's/#if QT_CONFIG(dynamicgl)/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' "$win/qwindowswindow.cpp"
# Without Direct2D, Gui leaves out the DirectWrite font database that the plugin would use.
sed -i 's/#if QT_CONFIG(directwrite3)/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' "$win/qwindowsintegration.cpp"
sed -i 's/qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent/qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION FALSE/' "$win/CMakeLists.txt"
cmake -S qtbase-everywhere-src-6.4.2 -B qt-build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" -DQT_HOST_PATH=/usr \
  -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
  -DCMAKE_INSTALL_PREFIX=$prefix -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF \
  -DFEATURE_direct2d=OFF -DFEATURE_testlib=ON
cmake --build qt-build --parallel "$(nproc)"
cmake --install qt-build

# libzip: static, over Debian's static MinGW zlib; no bzip2, LZMA or TLS back ends.
rm -rf libzip-1.7.3 && tar xf libzip_1.7.3.orig.tar.xz
cmake -S libzip-1.7.3 -B zip-build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$prefix -DBUILD_SHARED_LIBS=OFF \
  -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_GNUTLS=OFF -DENABLE_OPENSSL=OFF \
  -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF \
  -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
  -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include
cmake --build zip-build && cmake --install zip-build

cp mingw.cmake $prefix/mingw-w64.cmake
rm -rf "$work"
echo "Windows SDK built in $prefix"
BUILD
"${as_root[@]}" bash "$build"
