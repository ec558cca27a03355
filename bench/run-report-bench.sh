#!/usr/bin/env bash
# One pupil's school year: kivlogs-cli report --user over 365 days of keyword
# logs (kivlogs-gen year, 1 MB a day) and connection logs (kivlogs-gen busyday,
# 3,000 pupils, LINES lines a day, default 20000), against GNU grep -c -w NAME
# over the same files. Prints the medians of RUNS runs (default 5), the
# processor time of each, and the ratio; the aim is at most 1.5 times grep.
# Builds Release into build/release (BENCH_BUILD_DIR for another folder); the
# year goes to bench/corpus/report/ on first use (about 1 GB).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${RUNS:-5}
lines=${LINES:-20000}
pupil=${PUPIL:-eleve123}
build=${BENCH_BUILD_DIR:-build/release}
year=bench/corpus/report
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset release -B "$build" >/dev/null
cmake --build "$build" --target kivlogs-cli kivlogs-gen -j "$jobs"
cli=$root/$build/bin/kivlogs-cli
gen=$root/$build/bin/kivlogs-gen
if [ "$(ls "$year"/connexr*.log 2>/dev/null | wc -l)" -ne 365 ] || [ "$(ls "$year"/web*.txt 2>/dev/null | wc -l)" -ne 365 ]; then
  rm -rf "$year"
  mkdir -p "$year"
  "$gen" year "$year" --files 365 --size-mb 1 >/dev/null
  for d in $(seq 0 364); do
    day=$(date -u -d "2026-01-01 + $d days" +%Y-%m-%d)
    "$gen" busyday "$year" --lines "$lines" --users 3000 --date "$day" --seed "$((d + 1))" >/dev/null
  done
fi
cat "$year"/* >/dev/null # in the page cache, for both

# Wall and processor seconds of one run of a command, its output to a pipe.
measure() { /usr/bin/time -f "%e %U %S" bash -c "$1 | cat >/dev/null" 2>&1 >/dev/null | tail -1; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
series() {
  local command=$1 wall=() cpu=()
  for _ in $(seq "$runs"); do
    read -r w u s < <(measure "$command")
    wall+=("$w"); cpu+=("$(echo "$u + $s" | bc)")
  done
  echo "$(printf '%s\n' "${wall[@]}" | median) $(printf '%s\n' "${cpu[@]}" | median)"
}
read -r grep_wall grep_cpu < <(series "grep -c -w $pupil $year/*")
read -r cli_wall cli_cpu < <(series "$cli report --user $pupil --logs $year --from 2026-01-01 --to 2026-12-31")
echo "files: $(ls "$year" | wc -l), $(du -sh "$year" | cut -f1); $pupil: $(cat "$year"/* | grep -c -w "$pupil") lines"
echo "grep -c -w $pupil:          ${grep_wall} s (processor ${grep_cpu} s)"
echo "kivlogs-cli report --user:  ${cli_wall} s (processor ${cli_cpu} s), $(echo "scale=2; $cli_wall / $grep_wall" | bc) times grep"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $jobs cores"
