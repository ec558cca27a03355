#!/usr/bin/env bash
# The window's keyword search against kivlogs-cli, on the year of keyword logs
# that run-bench.sh uses (365 files of about 1 MB, generated into
# bench/corpus/year on first use): the real main window runs offscreen, and
# kivlogs-cli search --output FILE runs the same search in the same run.
# Two searches with typed words: three computers (about 100,000 results) and
# thirty (about 1,000,000). Builds into build/release (the release preset, as
# run.sh); BENCH_BUILD_DIR for another folder.
# The window is measured twice over: from inside (the largest gap between the
# ticks of its own 10 ms timer) and from outside, as a screen reader meets it:
# another process asks the results view over AT-SPI all through the search
# (bench/poll-accessibility.py). The outside measure needs Xvfb, dbus,
# at-spi2-core and python3-pyatspi (installed from scripts/bench-packages.txt
# when missing); without them the window runs offscreen and only the inside
# measure is given. ACCESSIBILITY=0 leaves the outside measure out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

build=${BENCH_BUILD_DIR:-build/release}
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" --target kivlogs-window-bench kivlogs-cli kivlogs-gen -j "$jobs"

year=bench/corpus/year
if [ ! -d "$year" ]; then
  rm -rf "$year.part"
  mkdir -p bench/corpus
  "$build/bin/kivlogs-gen" year "$year.part" --files 365 --size-mb 1
  mv "$year.part" "$year"
fi

. scripts/runtime-dir.sh
use_runtime_dir "$build/xdg"
bench=$root/$build/bin/kivlogs-window-bench
cli=$root/$build/bin/kivlogs-cli
poller=$root/bench/poll-accessibility.py

outside=${ACCESSIBILITY:-1}
if [ "$outside" = 1 ] && { ! command -v xvfb-run >/dev/null || ! command -v dbus-run-session >/dev/null ||
                           [ ! -x /usr/libexec/at-spi-bus-launcher ] || ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; }; then
  scripts/install-deps.sh scripts/bench-packages.txt >/dev/null 2>&1 || true
  if ! command -v xvfb-run >/dev/null || [ ! -x /usr/libexec/at-spi-bus-launcher ] ||
     ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "warning: no X server or accessibility bus: the window runs offscreen, measured from inside only" >&2
    outside=0
  fi
fi

echo "### $(ls "$year" | wc -l) files, $(du -shL "$year" | cut -f1) in $year; load: $(cut -d' ' -f1-3 /proc/loadavg)"
# search TITLE WORD...: one search of the window beside kivlogs-cli.
search() {
  local title=$1
  shift
  local args=(--cli "$cli" --logs "$root/$year" --scope Tout)
  for word in "$@"; do args+=(--word "$word"); done
  echo
  echo "== $title"
  if [ "$outside" = 1 ]; then
    # A private X server and session bus with its accessibility bus, ended
    # with the run; the window on them as on a desktop.
    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c '
      /usr/libexec/at-spi-bus-launcher --launch-immediately &
      bus=$!
      QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
      status=$?
      kill $bus 2>/dev/null || true
      wait 2>/dev/null || true
      exit $status' bash "$bench" "${args[@]}" --poll-accessibility "$poller"
  else
    QT_QPA_PLATFORM=offscreen "$bench" "${args[@]}"
  fi
}
search "about 100,000 results: the computers POSTE07, POSTE08, POSTE09, every day" POSTE07 POSTE08 POSTE09
search "about 1,000,000 results: the computers POSTE10 to POSTE39, every day" POSTE1 POSTE2 POSTE3
