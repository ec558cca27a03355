#!/usr/bin/env bash
# Long lists of watched words, as a school that imports its blocklist of sites
# has: how long kivlogs-cli takes to be ready (reading the list and preparing
# it) and to search the generated year of keyword logs, against
# `grep -F -i -f` with the same list on the same files.
# Two shapes, each of 10,000 and 100,000 words:
#  - shared runs: "motNNNNNNN-" followed by 88 "x", words that share long runs;
#  - domains: random site names ("k3x-ab9.fr").
# Builds Release into build/bench-release (the bench preset) and generates the
# year corpus into bench/corpus/ on first use, as run-bench.sh does.
# Environment: RUNS (default 3), BENCH_BUILD_DIR (default build/bench-release),
# COUNTS (default "10000 100000").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

runs=${RUNS:-3}
build=${BENCH_BUILD_DIR:-build/bench-release}
counts=${COUNTS:-10000 100000}
year=bench/corpus/year
lists=$build/word-lists
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" --target kivlogs-cli kivlogs-gen -j "$jobs"
cli=$root/$build/bin/kivlogs-cli
gen=$root/$build/bin/kivlogs-gen

mkdir -p bench/corpus "$lists"
if [ ! -d "$year" ]; then
  rm -rf "$year.part"
  "$gen" year "$year.part" --files 365 --size-mb 1
  mv "$year.part" "$year"
fi
# One small day: the time to be ready is the time of a search that has almost
# nothing to read.
oneday=$lists/oneday
mkdir -p "$oneday"
printf 'POSTE1:eleve1:010126:0800:http://www.exemple.fr/\r\n' >"$oneday/web010126.txt"

# The lists, CR LF as the list dialog writes them; grep gets the same words
# with LF.
make_list() { # shape count file
  case $1 in
    runs) awk -v n="$2" 'BEGIN { x = sprintf("%88s", ""); gsub(/ /, "x", x);
                                 for (i = 0; i < n; i++) printf "mot%07d-%s\r\n", i, x }' >"$3" ;;
    domains) awk -v n="$2" 'BEGIN { srand(20261201); a = "abcdefghijklmnopqrstuvwxyz0123456789-";
                                    split("fr com net org de io info", tld, " ");
                                    for (i = 0; i < n; i++) { w = ""; len = 3 + int(rand() * 13);
                                      for (k = 0; k < len; k++) w = w substr(a, 1 + int(rand() * 37), 1);
                                      printf "%s%d.%s\r\n", w, i, tld[1 + int(rand() * 7)] } }' >"$3" ;;
  esac
  tr -d '\r' <"$3" >"$3.lf"
}

# The median of RUNS wall-clock times of a command, in seconds; its output goes
# through a pipe (GNU grep stops at the first match when writing to /dev/null).
median_time() {
  local times=() start end
  for ((r = 0; r < runs; r++)); do
    start=$(date +%s.%N)
    "$@" | cat >/dev/null || true
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc)")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

peak_kb() { # the peak resident memory of a command, in kB
  /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1
}

export LC_ALL=C # every byte a character, only ASCII letters folded, as kivlogs-cli compares
printf '%-16s %10s %10s %10s %10s %8s %10s\n' list ready_s kiv_s grep_s kiv/grep peak_MB matches
for shape in runs domains; do
  for count in $counts; do
    list=$lists/$shape-$count.txt
    [ -f "$list" ] || make_list "$shape" "$count" "$list"
    ready=$(median_time "$cli" search --logs "$oneday" --scope Tout --date 2026-01-01 --words "$list")
    kiv=$(median_time "$cli" search --logs "$year" --scope Tout --words "$list")
    grep_s=$(median_time grep -F -i -f "$list.lf" -r "$year")
    peak=$(peak_kb "$cli" search --logs "$year" --scope Tout --words "$list")
    matches=$( ("$cli" search --logs "$year" --scope Tout --words "$list" || true) | wc -l)
    grep_matches=$( (grep -F -i -h -f "$list.lf" -r "$year" || true) | wc -l)
    [ "$matches" = "$grep_matches" ] || echo "warning: $shape-$count: kivlogs-cli $matches lines, grep $grep_matches" >&2
    printf '%-16s %10.2f %10.2f %10.2f %10.2f %8d %10d\n' "$shape-$count" "$ready" "$kiv" "$grep_s" \
      "$(echo "$kiv / $grep_s" | bc -l)" "$((peak / 1024))" "$matches"
  done
done
