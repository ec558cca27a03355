#!/usr/bin/env bash
# Times kivlogs-cli against ripgrep and GNU grep on generated logs:
#  - keyword search over a year of keyword logs (all cores, then one core);
#  - room occupation over one busy day of connection logs.
# Builds Release into build/bench-release (the bench preset), installs the
# comparison tools when they are missing and generates the corpora into
# bench/corpus/ on first use.
#  - room occupation of one day against the number of distinct users;
# Environment: RUNS (default 5), WARMUP (default 1), BENCH_BUILD_DIR (default
# build/bench-release), MICRO=1 to run the Google Benchmark programs as well,
# PAIRING_LINES (default 1000000) and PAIRING_USERS (default 3000,300000)
# for the users benchmark, PAIRING=0 to leave it out; LIST_MB (default 100) for
# the list files benchmark, LISTS=0 to leave it out.
#  - large list files of every shape: time and peak memory of reading them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

runs=${RUNS:-5}
warmup=${WARMUP:-1}
build=${BENCH_BUILD_DIR:-build/bench-release}
corpus=bench/corpus
year=$corpus/year
busyday=$corpus/busyday
busy_date=2026-12-01          # the day kivlogs-gen busyday writes by default
busy_file=$busyday/connexr011226.log
results=$build/bench-results
jobs=$(nproc 2>/dev/null || echo 2)

# --- tools -------------------------------------------------------------------
if ! command -v rg >/dev/null || ! command -v hyperfine >/dev/null; then
  scripts/install-deps.sh scripts/bench-packages.txt || echo "warning: could not install the comparison tools" >&2
fi
command -v rg >/dev/null || { echo "ripgrep (rg) is needed" >&2; exit 1; }

# --- build -------------------------------------------------------------------
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" --target kivlogs-cli kivlogs-gen -j "$jobs"
cli=$root/$build/bin/kivlogs-cli
gen=$root/$build/bin/kivlogs-gen

# --- corpora (generated once, into a scratch folder renamed when complete) ---
mkdir -p "$corpus" "$results"
if [ ! -d "$year" ]; then
  rm -rf "$year.part"
  "$gen" year "$year.part" --files 365 --size-mb 1
  mv "$year.part" "$year"
fi
if [ ! -d "$busyday" ]; then
  rm -rf "$busyday.part"
  "$gen" busyday "$busyday.part" --lines 1000000 --users 3000 --date "$busy_date"
  mv "$busyday.part" "$busyday"
fi
words=$corpus/words.txt
printf '%s\n' sexe sexy enculer bites "seins nu" "femme nu" "femmes nu" >"$words"

# --- timing ------------------------------------------------------------------
# Output goes through a pipe, not straight to /dev/null: GNU grep notices
# /dev/null and stops at the first match, which would time nothing.
# The logs are Windows-1252: grep runs in the C locale, where every byte is a
# character and only ASCII letters fold, as kivlogs-cli compares them.
have_hyperfine=0
if command -v hyperfine >/dev/null && hyperfine --help 2>/dev/null | grep -q -- '--output'; then
  have_hyperfine=1
fi
have_taskset=0
command -v taskset >/dev/null && have_taskset=1

declare -A median
# measure NAME COMMAND: stores the median wall time in seconds in median[NAME].
measure() {
  local name=$1 cmd=$2
  echo
  echo "== $name: $cmd"
  if [ $have_hyperfine = 1 ]; then
    hyperfine --warmup "$warmup" --runs "$runs" --output=pipe --export-json "$results/$name.json" \
              --command-name "$name" "$cmd"
    median[$name]=$(sed -n 's/.*"median": *\([0-9.eE+-]*\).*/\1/p' "$results/$name.json" | head -n 1)
  else
    local i t0 t1 times=()
    for ((i = 0; i < warmup; i++)); do bash -c "$cmd" | cat >/dev/null; done
    for ((i = 0; i < runs; i++)); do
      t0=$(date +%s.%N)
      bash -c "$cmd" | cat >/dev/null
      t1=$(date +%s.%N)
      times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')")
    done
    median[$name]=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
    echo "  runs: ${times[*]} s"
  fi
  echo "  median: ${median[$name]} s"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }

# verdict VALUE LIMIT OP: "met" or "missed" for VALUE OP LIMIT (OP is <= or <).
verdict() {
  awk -v v="$1" -v l="$2" -v op="$3" 'BEGIN { ok = (op == "<") ? (v < l) : (v <= l); print ok ? "met" : "MISSED" }'
}

max_rss() { # max_rss COMMAND...: prints the peak resident size in MB, or nothing
  # GNU time only (its -f and -o); BSD or busybox time are left alone.
  if [ -x /usr/bin/time ] && /usr/bin/time -f '%M' -o /dev/null true 2>/dev/null; then
    local kb
    /usr/bin/time -f '%M' -o "$results/rss.txt" "$@" >/dev/null 2>&1 || true
    kb=$(tail -n 1 "$results/rss.txt" 2>/dev/null)
    case $kb in '' | *[!0-9]*) ;; *) awk -v k="$kb" 'BEGIN { printf "%.1f", k / 1024 }' ;; esac
  fi
}

if [ ! -x "$cli" ]; then
  echo "kivlogs-cli was not built: nothing to compare" >&2
  exit 1
fi

# --- keyword search over the year -------------------------------------------
echo
echo "### Keyword search: $(ls "$year" | wc -l) files, $(du -shL "$year" | cut -f1) in $year"

kiv_cmd="'$cli' search --logs '$year' --scope Tout --words '$words'"
rg_cmd="rg -F -i -f '$words' '$year'"
grep_cmd="LC_ALL=C grep -F -i -r -f '$words' '$year'"

kiv_status=0
kiv_count=$(bash -c "$kiv_cmd" | wc -l) || kiv_status=$?
rg_count=$(rg -F -i -c --no-filename -f "$words" "$year" | awk '{ s += $1 } END { print s + 0 }')
grep_count=$(LC_ALL=C grep -F -i -r -c -f "$words" "$year" | awk -F: '{ s += $NF } END { print s + 0 }')

measure search-kivlogs "$kiv_cmd"
measure search-rg "$rg_cmd"
measure search-grep "$grep_cmd"
if [ $have_taskset = 1 ]; then
  measure search-kivlogs-1core "taskset -c 0 $kiv_cmd"
  measure search-grep-1core "taskset -c 0 env $grep_cmd"
fi
search_rss=$(max_rss "$cli" search --logs "$year" --scope Tout --words "$words")

# --- room occupation over the busy day ---------------------------------------
echo
echo "### Room occupation: $(wc -l <"$busy_file") lines, $(du -sh "$busy_file" | cut -f1) in $busy_file"

occ_cmd="'$cli' occupation --logs '$busyday' --date $busy_date --format text"
occgrep_cmd="LC_ALL=C grep login '$busy_file'"
occ_count=$(bash -c "$occ_cmd" | wc -l) || true
login_count=$(LC_ALL=C grep -c login "$busy_file" || true)

occ_load=$(cut -d' ' -f1-3 /proc/loadavg)
measure occupation-kivlogs "$occ_cmd"
measure occupation-grep "$occgrep_cmd"
occ_rss=$(max_rss "$cli" occupation --logs "$busyday" --date "$busy_date" --format text)

# --- summary -----------------------------------------------------------------
echo
echo "################ Summary ################"
echo "Keyword search, year corpus ($runs runs, medians):"
printf '  %-24s %8.3f s\n' kivlogs-cli "${median[search-kivlogs]}" rg "${median[search-rg]}" grep "${median[search-grep]}"
if [ $have_taskset = 1 ]; then
  printf '  %-24s %8.3f s\n' "kivlogs-cli (1 core)" "${median[search-kivlogs-1core]}" "grep (1 core)" "${median[search-grep-1core]}"
fi
r=$(ratio "${median[search-kivlogs]}" "${median[search-rg]}")
echo "  kivlogs/rg              = $r  (target <= 0.5: $(verdict "$r" 0.5 '<='))"
if [ $have_taskset = 1 ]; then
  r=$(ratio "${median[search-kivlogs-1core]}" "${median[search-grep-1core]}")
  echo "  kivlogs/grep, one core  = $r  (target < 1: $(verdict "$r" 1 '<'))"
fi
echo "  matching lines: kivlogs-cli $kiv_count, rg $rg_count, grep $grep_count"
if [ "$kiv_count" = "$rg_count" ] && [ "$rg_count" = "$grep_count" ]; then
  echo "  the three counts agree"
else
  echo "  THE COUNTS DIFFER"
fi
[ "$kiv_status" = 0 ] || echo "  kivlogs-cli search ended with status $kiv_status"
[ -n "$search_rss" ] && echo "  kivlogs-cli max RSS: $search_rss MB"

echo "Room occupation, busy day (load when measured: $occ_load):"
printf '  %-24s %8.3f s\n' kivlogs-cli "${median[occupation-kivlogs]}" "grep login" "${median[occupation-grep]}"
r=$(ratio "${median[occupation-kivlogs]}" "${median[occupation-grep]}")
echo "  kivlogs/grep            = $r  (target <= 2: $(verdict "$r" 2 '<='), then <= 1.5: $(verdict "$r" 1.5 '<='))"
echo "  sessions listed: $occ_count; lines holding \"login\": $login_count"
[ -n "$occ_rss" ] && echo "  kivlogs-cli max RSS: $occ_rss MB"
echo "Timings in $results/"

# --- room occupation against the number of users ------------------------------
if [ "${PAIRING:-1}" = 1 ]; then
  echo
  if cmake --build "$build" --target bench_pairing_users -j "$jobs" >/dev/null 2>&1; then
    "$build/bin/bench_pairing_users" --lines "${PAIRING_LINES:-1000000}" \
      --users "${PAIRING_USERS:-3000,300000}" --runs "$runs" | tee "$results/pairing-users.txt"
  else
    echo "bench_pairing_users not available in this build"
  fi
fi

# --- list files of every shape -------------------------------------------------
if [ "${LISTS:-1}" = 1 ]; then
  echo
  if cmake --build "$build" --target bench_list_files -j "$jobs" >/dev/null 2>&1; then
    "$build/bin/bench_list_files" --mb "${LIST_MB:-100}" --dir "$results/lists" | tee "$results/list-files.txt"
    rm -rf "$results/lists"
  else
    echo "bench_list_files not available in this build"
  fi
fi

# --- engine micro-benchmarks (built only where Google Benchmark is installed) --
if [ "${MICRO:-0}" = 1 ]; then
  if cmake --build "$build" --target bench_matcher bench_rewrite bench_pairing -j "$jobs" >/dev/null 2>&1; then
    for b in bench_matcher bench_rewrite bench_pairing; do
      echo
      "$build/bin/$b" --benchmark_out="$results/$b.json" --benchmark_out_format=json
    done
  else
    echo "Google Benchmark programs not available in this build"
  fi
fi
