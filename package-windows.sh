#!/usr/bin/env bash
# Builds Kiv Logs for 64-bit Windows and delivers it in build/windows/:
#   KivLogs-<version>-win64.zip    one folder that runs where it is unpacked (the
#                                  server's share, a USB stick): both programs,
#                                  Qt's DLLs and the plugins they need, Qt's
#                                  French texts, the school's three lists
#   KivLogs-<version>-setup.exe    the installer (NSIS): per machine under
#                                  Program Files, a Start menu entry, silent with /S
# Installs what is missing, puts Qt for MinGW in place (scripts/qt-mingw.sh) and
# builds the windows-release preset (Release, warnings as errors).
#   package-windows.sh [--build DIR] [--out DIR]
# --build packages the programs of another Windows build folder (test.sh's
# Windows step packages its Debug build, to try the installer under Wine);
# --out puts the zip and the installer elsewhere.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
build='' out=$root/build/windows
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(realpath "$2"); shift 2 ;;
    --out) mkdir -p "$2"; out=$(realpath "$2"); shift 2 ;;
    *) echo "Usage : $0 [--build DOSSIER] [--out DOSSIER]" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh scripts/packages-windows.txt scripts/packages-windows-package.txt
./scripts/qt-mingw.sh
qt=$root/build/windows/qt/qt-6.4.2-mingw
if [ -z "$build" ]; then
  build=$root/build/windows/release
  cmake --preset windows-release
  cmake --build --preset windows-release -j "$(nproc 2>/dev/null || echo 2)" --target kivlogs kivlogs-cli
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "Version introuvable dans $build/CMakeCache.txt" >&2; exit 1; }

# What the two programs need beside them. Qt's DLLs need the compiler's own;
# of Qt's plugins, the Windows platform and the native style only (the window
# reads no picture file, and prints through the system's spooler, inside
# Qt6PrintSupport.dll).
gcc_dlls=(/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
          /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
          /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
qt_dlls=(Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport)
qt_plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll)
lists=(kiv.ini kiv_salles.txt kiv_heures.txt)

# fill_program_folder DIR: the programs and what they need, in DIR.
fill_program_folder() {
  local dir=$1 name plugin
  mkdir -p "$dir/translations"
  cp "$build/bin/kivlogs.exe" "$build/bin/kivlogs-cli.exe" "$dir/"
  # Without the symbols a Debug build carries: a school's workstation has no
  # debugger.
  x86_64-w64-mingw32-strip "$dir/kivlogs.exe" "$dir/kivlogs-cli.exe"
  for name in "${qt_dlls[@]}"; do cp "$qt/bin/$name.dll" "$dir/"; done
  cp "${gcc_dlls[@]}" "$dir/"
  # Debian ships the compiler's DLLs with their symbols (libstdc++ is 24 MB so).
  for name in "${gcc_dlls[@]}"; do x86_64-w64-mingw32-strip --strip-unneeded "$dir/$(basename "$name")"; done
  for plugin in "${qt_plugins[@]}"; do
    mkdir -p "$dir/plugins/$(dirname "$plugin")"
    cp "$qt/plugins/$plugin" "$dir/plugins/$plugin"
  done
  # The Qt built for MinGW has no translations of its own: its French texts
  # (the buttons of the dialogs, the print dialog) are Debian's, the same
  # version, the same files on every system.
  cp /usr/share/qt6/translations/qtbase_fr.qm "$dir/translations/"
  # Qt looks for its plugins and translations from here, wherever the folder is.
  printf '[Paths]\r\nPrefix = .\r\n' >"$dir/qt.conf"
  cp packaging/windows/kivlogs.ico "$dir/"
}

stage=$out/stage
rm -rf "$stage"

# The zip: one folder, the lists beside the programs ("kiv.ini" is read beside
# kivlogs.exe, the other lists in the folder it is started from).
zip_name=KivLogs-$version-win64
fill_program_folder "$stage/zip/$zip_name"
for name in "${lists[@]}"; do cp "examples/$name" "$stage/zip/$zip_name/"; done
rm -f "$out/$zip_name.zip"
(cd "$stage/zip" && zip -qr9 "$out/$zip_name.zip" "$zip_name")

# The installer: the programs in bin\, the lists in share\kivlogs\, which the
# window copies to each user's %APPDATA%\kivlogs when started with --user-config.
fill_program_folder "$stage/setup/bin"
mkdir -p "$stage/setup/share/kivlogs"
for name in "${lists[@]}"; do cp "examples/$name" "$stage/setup/share/kivlogs/"; done
size_kb=$(du -sk "$stage/setup" | cut -f1)
setup=$out/KivLogs-$version-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage/setup" -DOUTFILE="$setup" -DSIZE_KB="$size_kb" \
         packaging/windows/kivlogs.nsi
rm -rf "$stage"
ls -l "$out/$zip_name.zip" "$setup"
