#!/usr/bin/env bash
# Kiv Logs as a member of staff installs it: the Debian package is built from
# a build folder, checked by the Debian tools, unpacked into a temporary root
# and its programs run from there; the window is started under Xvfb the way
# its menu entry starts it, for a user who has no lists yet.
#   package-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "skipped: $*"; }
have() { command -v "$1" >/dev/null 2>&1; }

# Under Xvfb: starts the window with the menu entry's command line and waits
# until a window of the given name is shown (giving up after two minutes); an
# error box, named "Kiv Logs", writes its text to standard error before it
# shows.
if [ "${1:-}" = "--window" ]; then
  shift
  errors=$1 found=$2 name=$3
  shift 3
  "$@" 2>"$errors" &
  pid=$!
  if timeout 120 xdotool search --sync --onlyvisible --name "$name" >/dev/null 2>&1; then
    kill -0 "$pid" 2>/dev/null && echo yes >"$found"
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exit 0
fi

self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The package, under the name Debian's tools give it.
(cd "$build" && cpack -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/cpack/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, found: ${debs[*]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "kivlogs_${version}_${arch}.deb" ] || fail "package named $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends without the Qt libraries: $(dpkg-deb -f "$deb" Depends)"

root=$work/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
for file in bin/kivlogs bin/kivlogs-cli share/applications/kivlogs.desktop \
            share/metainfo/local.kivlogs.kivlogs.metainfo.xml share/icons/hicolor/scalable/apps/kivlogs.svg \
            share/icons/hicolor/48x48/apps/kivlogs.png share/man/man1/kivlogs.1.gz share/man/man1/kivlogs-cli.1.gz \
            share/kivlogs/kiv.ini share/kivlogs/kiv_salles.txt share/kivlogs/kiv_heures.txt; do
  [ -f "$root/usr/$file" ] || fail "the package lacks /usr/$file"
done

# The command line, unpacked: its version, and the same search as the build's.
[ "$("$root/usr/bin/kivlogs-cli" --version)" = "kivlogs-cli $version" ] || fail "kivlogs-cli --version"
search=(search --logs "$source/examples/logs" --config "$share/kivlogs" --scope Tout --date 2026-12-01)
"$root/usr/bin/kivlogs-cli" "${search[@]}" >"$work/unpacked.txt" || fail "unpacked kivlogs-cli search"
"$build/bin/kivlogs-cli" "${search[@]}" >"$work/built.txt"
[ -s "$work/unpacked.txt" ] || fail "the search on the examples found nothing"
cmp -s "$work/unpacked.txt" "$work/built.txt" || fail "the unpacked kivlogs-cli searches differently"
echo "kivlogs-cli: $(wc -l <"$work/unpacked.txt") results on the examples"

# Debian's own checks of the desktop entry, the metainfo and the package.
if have desktop-file-validate; then
  desktop-file-validate "$share/applications/kivlogs.desktop" || fail "desktop-file-validate"
else skip "desktop-file-validate (desktop-file-utils) is not installed"; fi
if have appstreamcli; then
  appstreamcli validate --no-net "$share/metainfo/local.kivlogs.kivlogs.metainfo.xml" || fail "appstreamcli validate"
else skip "appstreamcli (appstream) is not installed"; fi
if have lintian; then
  lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 || { cat "$work/lintian.txt"; fail "lintian"; }
  echo "lintian: $(grep -c '^E:' "$work/lintian.txt" || true) errors, $(grep -c '^W:' "$work/lintian.txt" || true) warnings"
  cat "$work/lintian.txt"
else skip "lintian is not installed"; fi

# The window, from its menu entry, for a user whose configuration is empty.
if ! have xvfb-run || ! have xdotool; then
  skip "the window check needs xvfb-run (xvfb) and xdotool"
  exit 0
fi
read -r -a entry <<<"$(sed -n 's/^Exec=//p' "$share/applications/kivlogs.desktop")"
program=$root/usr/bin/${entry[0]}
mkdir -p "$work/home" "$work/config"
chmod 700 "$work/home"
# Where the school's share is not mounted, as here, the window asks for the
# log folder instead of failing at each search.
expected='^Kiv Logs$'
[ -d /mnt/Torvel/Services/logs ] || expected='^Dossier des logs$'
(cd "$work/home" &&
 HOME=$work/home XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/home \
   xvfb-run -a -s "-screen 0 1280x1024x24" \
   "$self" --window "$work/window.err" "$work/found" "$expected" "$program" "${entry[@]:1}")
if grep -q '^kivlogs : ' "$work/window.err"; then
  fail "the window started with an error box: $(grep '^kivlogs : ' "$work/window.err")"
fi
[ -f "$work/found" ] || { cat "$work/window.err"; fail "no window named $expected came up"; }
for list in kiv.ini kiv_salles.txt kiv_heures.txt; do
  cmp -s "$share/kivlogs/$list" "$work/config/kivlogs/$list" || fail "the first start did not copy $list"
done
echo "kivlogs: from its menu entry, $expected came up without an error box; ~/.config/kivlogs holds the three lists"
