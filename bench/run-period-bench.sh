#!/usr/bin/env bash
# The room use of a period over 30 busy days (kivlogs-gen busyday, one file a
# day, 1 to 30 November 2026): kivlogs-cli occupation --format summary against
# GNU grep -c login over the same files, then the period window (offscreen)
# against the command line. Prints the medians of RUNS runs (default 5), the
# processor time of each, and the ratios.
# Builds Release into build/release (the release preset; BENCH_BUILD_DIR for
# another folder); the days go to bench/corpus/period/ on first use (2 GB).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${RUNS:-5}
build=${BENCH_BUILD_DIR:-build/release}
days=bench/corpus/period
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset release -B "$build" >/dev/null
cmake --build "$build" --target kivlogs-cli kivlogs-gen bench_period_window -j "$jobs"
cli=$root/$build/bin/kivlogs-cli
if [ "$(ls "$days"/connexr*1126.log 2>/dev/null | wc -l)" -ne 30 ]; then
  mkdir -p "$days"
  for d in $(seq -w 1 30); do
    "$root/$build/bin/kivlogs-gen" busyday "$days" --date "2026-11-$d" --seed "$((10#$d))" >/dev/null
  done
fi
cat "$days"/*.log >/dev/null # in the page cache, for both

# Wall and processor seconds of one run of a command, its output to a pipe
# (grep stops at the first match when its output is /dev/null).
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
read -r grep_wall grep_cpu < <(series "grep -c login $days/*.log")
read -r cli_wall cli_cpu < <(series "$cli occupation --logs $days --from 2026-11-01 --to 2026-11-30 --format summary")
echo "grep -c login:        ${grep_wall} s (processor ${grep_cpu} s)"
echo "kivlogs-cli summary:  ${cli_wall} s (processor ${cli_cpu} s), $(echo "scale=2; $cli_wall / $grep_wall" | bc) times grep"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $jobs cores"
QT_QPA_PLATFORM=offscreen "$root/$build/bin/bench_period_window" "$days" 2026-11-01 2026-11-30 "$cli"
