#!/usr/bin/env bash
# Puts Qt 6.4.2 for 64-bit Windows (MinGW-w64) in build/windows/qt/qt-6.4.2-mingw,
# the Qt that the window is cross-built against. Debian ships no Qt for MinGW:
#   - when ../shared/windows/qt-6.4.2-mingw-x86_64.tar.xz (or the archive named by
#     KIV_QT_MINGW_ARCHIVE; for a clone, also beside the checkout it came from) is there and its SHA-256 is the one below, it is unpacked
#     (seconds);
#   - otherwise the same Qt is built from Debian 12's source package qt6-base
#     6.4.2+dfsg-10, with the same configuration and the one guard it needs: about
#     45 minutes on two cores, 1,152 steps.
# Nothing is done when the folder is already there. The system's apt sources are
# left alone: the source package is fetched through a list kept in build/windows.
#   qt-mingw.sh [--from-source] [--fetch-only]
# --from-source builds even when the archive is there; --fetch-only stops once
# the source package is downloaded (a quick check of the private apt setup).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/windows/qt
prefix=$out/qt-6.4.2-mingw
archive_name=windows/qt-6.4.2-mingw-x86_64.tar.xz
archive=${KIV_QT_MINGW_ARCHIVE:-$root/../shared/$archive_name}
# A clone made elsewhere (a CI runner's scratch folder) finds the archive
# beside the checkout it was cloned from.
if [ -z "${KIV_QT_MINGW_ARCHIVE:-}" ] && [ ! -f "$archive" ]; then
  origin=$(git -C "$root" remote get-url origin 2>/dev/null || true)
  if [ -n "$origin" ] && [ -d "$origin" ] && [ -f "$origin/../shared/$archive_name" ]; then
    archive=$(cd "$origin/../shared" && pwd)/$archive_name
  fi
fi
sha256=35b8eda00ae6ca3620864ab918860b0f899490d155f974c712e66a2ace3e68f9
source_version=6.4.2+dfsg-10

from_source=no fetch_only=no
for arg in "$@"; do
  case "$arg" in
    --from-source) from_source=yes ;;
    --fetch-only) from_source=yes fetch_only=yes ;;
    *) echo "Usage : $0 [--from-source] [--fetch-only]" >&2; exit 2 ;;
  esac
done

if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ] && [ "$fetch_only" = no ]; then
  exit 0
fi
mkdir -p "$out"

if [ "$from_source" = no ] && [ -f "$archive" ]; then
  if echo "$sha256  $archive" | sha256sum -c --status; then
    echo "Qt pour MinGW : décompression de $archive"
    rm -rf "$prefix.part"
    mkdir -p "$prefix.part"
    tar -xJf "$archive" -C "$prefix.part"
    mv "$prefix.part/qt-6.4.2-mingw" "$prefix"
    rmdir "$prefix.part"
    exit 0
  fi
  echo "Qt pour MinGW : $archive n'a pas la somme SHA-256 attendue, Qt sera construit depuis ses sources" >&2
fi

# From source. Debian's own Qt of the same version gives the host tools (moc,
# rcc, uic), so that only the target libraries are built.
started=$(date +%s)
./scripts/install-deps.sh scripts/packages-qt-mingw.txt

# A deb-src entry for bookworm main in a private folder: apt reads it and its
# own lists there, never /etc/apt/sources.list nor the system's lists.
apt_dir=$out/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial"
echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt_dir/sources.list.d/qt6-base-src.list"
apt_opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::archives=$apt_dir/archives"
          -o "Debug::NoLocking=1")
mkdir -p "$apt_dir/archives/partial"
apt-get "${apt_opts[@]}" update -q
src=$out/src
mkdir -p "$src"
(cd "$src" && apt-get "${apt_opts[@]}" source --download-only "qt6-base=$source_version")
orig=$(ls "$src"/qt6-base_6.4.2*.orig.tar.xz)
echo "Source : $orig"
[ "$fetch_only" = yes ] && exit 0

# Only the upstream sources: Debian's patches are for Linux.
rm -rf "$src/qtbase"
mkdir -p "$src/qtbase"
tar -xJf "$orig" -C "$src/qtbase" --strip-components=1
# Qt 6.4.2's Windows platform plugin calls OpenGL code under dynamicgl alone,
# which does not build with OpenGL off.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
    "$src/qtbase/src/plugins/platforms/windows/qwindowswindow.cpp"
[ "$(grep -c '^#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)$' \
      "$src/qtbase/src/plugins/platforms/windows/qwindowswindow.cpp")" -eq 2 ] ||
  { echo "La garde OpenGL de qwindowswindow.cpp n'a pas pu être posée" >&2; exit 1; }

cat >"$out/mingw.cmake" <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

rm -rf "$out/qtbase-build" "$prefix"
cmake -G Ninja -S "$src/qtbase" -B "$out/qtbase-build" -DCMAKE_TOOLCHAIN_FILE="$out/mingw.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_SHARED_LIBS=ON \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF -DFEATURE_testlib=ON \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_libpng=OFF -DFEATURE_system_libjpeg=OFF \
  -DFEATURE_system_doubleconversion=OFF
cmake --build "$out/qtbase-build" -j "$(nproc 2>/dev/null || echo 2)"
cmake --install "$out/qtbase-build" >/dev/null
echo "Qt pour MinGW construit en $(( ($(date +%s) - started) / 60 )) min"
