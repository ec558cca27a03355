#!/usr/bin/env bash
# scripts/count-tests.sh on the summaries each kind of test step prints: one
# case a line, KIND, the step's output (printf format) and the expected count.
set -euo pipefail
counter=$(cd "$(dirname "$0")/../../scripts" && pwd)/count-tests.sh
status=0
while IFS='|' read -r kind output expected; do
  got=$(printf -- "$output" | "$counter" "$kind")
  if [ "$got" != "$expected" ]; then
    echo "FAIL $kind '$output': $got instead of $expected"
    status=1
  fi
done <<'CASES'
ctest|100%% tests passed, 0 tests failed out of 45\n|45 0
ctest|95%% tests passed, 2 tests failed out of 40\n[  FAILED  ] 1 test, listed below:\nTotals: 3 passed, 1 failed\n|38 2
qttest|Totals: 7 passed, 1 failed, 0 skipped, 0 blacklisted, 20ms\n|7 1
gtest|[==========] 10 tests ran.\n[  PASSED  ] 9 tests.\n[  FAILED  ] 1 test, listed below:\n[  FAILED  ] Foo.Bar\n|9 1
gtest|[  PASSED  ] 1 test.\n|1 0
wine|[  PASSED  ] 9 tests.\nok version\nÉCHEC search-examples : x\n[  PASSED  ] 3 tests.\n|13 1
wine|Totals: 21 passed, 0 failed, 0 skipped, 0 blacklisted, 900ms\n[  PASSED  ] 2 tests.\nTotals: 4 passed, 2 failed, 1 skipped\nÉCHEC KeywordSearchTest (code 2)\n|27 3
build|-- Configuring done\n|0 0
CASES
exit "$status"
