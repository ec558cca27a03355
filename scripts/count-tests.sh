#!/usr/bin/env bash
# Reads a test step's output on standard input and prints "PASSED FAILED":
# how many tests it ran that passed and that failed. The kind of step says
# which lines count, so that a failed test's own output, which ctest repeats,
# is not counted twice.
# A wine step counts Google Test's lines, QtTest's totals and the command
# line's "ok"/"ÉCHEC" checks.
#   count-tests.sh ctest|qttest|gtest|wine|build
set -euo pipefail
LC_ALL=C.UTF-8 awk -v kind="$1" '
  kind == "ctest" && match($0, /tests passed, [0-9]+ tests? failed out of [0-9]+/) {
    split(substr($0, RSTART, RLENGTH), w, " ")
    f += w[3]; p += w[8] - w[3]
  }
  (kind == "qttest" || kind == "wine") && /^Totals: [0-9]+ passed, [0-9]+ failed/ {
    p += $2; f += $4
  }
  (kind == "gtest" || kind == "wine") && /^\[  PASSED  \] [0-9]+ tests?/ { p += $4 }
  (kind == "gtest" || kind == "wine") && /^\[  FAILED  \] [0-9]+ tests?,/ { f += $4 }
  kind == "wine" && /^ok / { p += 1 }
  kind == "wine" && /^ÉCHEC / { f += 1 }
  END { printf "%d %d\n", p, f }
'
