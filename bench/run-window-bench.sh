#!/usr/bin/env bash
# The window's keyword search against kivlogs-cli, on the year of keyword logs
# that run-bench.sh uses (365 files of about 1 MB, generated into
# bench/corpus/year on first use): the real main window runs offscreen, and
# kivlogs-cli search --output FILE runs the same search in the same run.
# Two searches with typed words: three computers (about 100,000 results) and
# thirty (about 1,000,000). Builds into build/release (the release preset, as
# run.sh); BENCH_BUILD_DIR for another folder.
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
export QT_QPA_PLATFORM=offscreen
bench=$build/bin/kivlogs-window-bench
cli=$root/$build/bin/kivlogs-cli

echo "### $(ls "$year" | wc -l) files, $(du -sh "$year" | cut -f1) in $year"
echo
echo "== about 100,000 results: the computers POSTE07, POSTE08, POSTE09, every day"
"$bench" --cli "$cli" --logs "$year" --scope Tout --word POSTE07 --word POSTE08 --word POSTE09
echo
echo "== about 1,000,000 results: the computers POSTE10 to POSTE39, every day"
"$bench" --cli "$cli" --logs "$year" --scope Tout --word POSTE1 --word POSTE2 --word POSTE3
