#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds (default 180), starting from the seeds in tests/fuzz/corpus/.
# Usage: scripts/fuzz.sh [seconds] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
seconds=${1:-180}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(log_line_reader rewrite_log_line session_parser)

cmake --preset fuzz > /dev/null
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)" --target $(printf 'fuzz_%s ' "${targets[@]}")

for t in "${targets[@]}"; do
  work="build/fuzz/corpus/$t"
  mkdir -p "$work"
  cp -n tests/fuzz/corpus/"$t"/* "$work"/ 2>/dev/null || true
  echo "== fuzz_$t for ${seconds}s"
  build/fuzz/bin/fuzz_"$t" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$work" 2>&1 | tail -n 12
done
