#!/usr/bin/env bash
# Installs what is missing, builds Kiv Logs with assertions and runs every test
# offscreen; then compiles the optimised build that run.sh and the benchmarks
# use, warnings as errors; then builds the engine alone under AddressSanitizer
# and UndefinedBehaviorSanitizer and runs its tests again, and once more the
# engine's own tests with the plain loops in place of the SSE2 ones; then
# cross-builds Kiv Logs for Windows and runs its tests and the command line
# under Wine.
# Each build is a preset of CMakePresets.json, in build/<preset>.
# Every test has a deadline, and a run whose tests changed the repository's
# files (tracked or new, build folders aside) counts one more failed test.
# Every step runs even when an earlier one failed; the last line counts the
# tests of the whole run, "N passed, M failed", and the exit status is not 0
# when M is not 0.
set -uo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

passed=0
failed=0

# A test that hangs must not hold the whole run: ctest gives each test the
# presets' timeout (300 s, ample under the sanitizers on a loaded two-core
# machine), and a test program run here outside ctest is killed after
# program_deadline seconds, which counts as a failed test.
program_deadline=900
deadline() {
  timeout --kill-after=30 "$program_deadline" "$@"
}

# What git sees of the tree: each changed or new file (ignored build folders
# left out) with a hash of its bytes, so that a file edited before the run and
# written again by a test shows too. Empty outside a git checkout.
tree_state() {
  local entry
  git status --porcelain=v1 -z --untracked-files=all 2>/dev/null |
    while IFS= read -r -d '' entry; do
      case $entry in R* | C*) IFS= read -r -d '' _ ;; esac # a rename's old name follows
      printf '%s %s\n' "$(git hash-object -- "${entry:3}" 2>/dev/null || echo -)" "$entry"
    done
}
in_git=
git rev-parse --is-inside-work-tree >/dev/null 2>&1 && in_git=yes
tree_before=$(tree_state)

# step KIND COMMAND...: runs a step, shows its output and adds its tests to the
# count. KIND says how its output counts tests: ctest (its summary line),
# qttest (QtTest's "Totals:"), gtest (Google Test's PASSED and FAILED lines),
# wine (gtest, and the "ok"/"ÉCHEC" lines of the command-line checks), build
# (no tests). A step that fails without a failed test to show for it (a build
# error, a crash) counts as one failed test.
step() {
  local kind=$1 output counts status
  shift
  output=$(mktemp)
  "$@" 2>&1 | tee "$output"
  status=${PIPESTATUS[0]}
  counts=$(scripts/count-tests.sh "$kind" <"$output")
  rm -f "$output"
  local p=${counts% *} f=${counts#* }
  if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then
    echo "ÉCHEC (code $status) : $*" >&2
    f=1
  fi
  passed=$((passed + p))
  failed=$((failed + f))
  return "$status"
}

step build cmake --preset test -DKIV_WERROR=$werror &&
  step build cmake --build --preset test -j "$jobs" &&
  built_test=yes

. scripts/runtime-dir.sh
use_runtime_dir build/test/xdg
export QT_QPA_PLATFORM=offscreen
if [ -n "${built_test:-}" ]; then
  step ctest ctest --preset test -j "$jobs"
  # "Imprimer" and "Imprimer tableau" once through a real print queue: a private CUPS scheduler with a
  # PDF printer, started and stopped around the test (needs root).
  if [ "$(id -u)" = 0 ]; then
    step qttest scripts/with-cups-pdf.sh timeout --kill-after=30 "$program_deadline" build/test/bin/ResultsPrintQueueTest
    step qttest scripts/with-cups-pdf.sh timeout --kill-after=30 "$program_deadline" build/test/bin/PrintTableTest
  else
    echo "not root: the print queue test is skipped" >&2
  fi
fi

# Optimising brings warnings of its own (GCC's -Wrestrict, -Wstringop-overflow):
# the Release build is compiled whole, tests and benchmarks too, warnings as
# errors. run.sh then finds it built, and the benchmarks' own build (preset
# bench) gets the same files back from ccache.
step build cmake --preset release &&
  step build cmake --build --preset release -j "$jobs"

step build cmake --preset sanitize -DKIV_WERROR=$werror &&
  step build cmake --build --preset sanitize -j "$jobs" &&
  step ctest ctest --preset sanitize -j "$jobs"

scalar_tests="logscan_tests table_tests jobs_tests"
if step build cmake --preset sanitize-scalar -DKIV_WERROR=$werror &&
   step build cmake --build --preset sanitize-scalar -j "$jobs" --target $scalar_tests; then
  for t in $scalar_tests; do
    step gtest deadline build/sanitize-scalar/bin/$t --gtest_brief=1
  done
fi

step wine env KIV_WERROR=$werror ./scripts/windows-tests.sh

# The tests work on copies in temporary folders: one that wrote into the
# repository (over an example log, say) would spoil every later run.
if [ -n "$in_git" ]; then
  tree_after=$(tree_state)
  if [ "$tree_after" != "$tree_before" ]; then
    echo "ÉCHEC : les tests ont modifié le dépôt :" >&2
    diff <(printf '%s\n' "$tree_before") <(printf '%s\n' "$tree_after") | sed -n 's/^[<>] [^ ]* /  /p' | sort -u >&2
    failed=$((failed + 1))
  fi
else
  echo "not a git checkout: the check that the tests leave the tree as it was is skipped" >&2
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
