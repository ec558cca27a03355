#!/usr/bin/env bash
# Installs what is missing, builds Kiv Logs with assertions and runs every test
# offscreen; then builds the engine alone under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs its tests again, and once more the
# engine's own tests with the plain loops in place of the SSE2 ones; then
# cross-builds the engine and kivlogs-cli for Windows and runs them under Wine.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIV_WERROR=$werror
cmake --build build/test -j "$jobs"

mkdir -p build/test/xdg
chmod 700 build/test/xdg
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$PWD/build/test/xdg"
ctest --test-dir build/test --output-on-failure -j "$jobs"
# "Imprimer" and "Imprimer tableau" once through a real print queue: a private CUPS scheduler with a
# PDF printer, started and stopped around the test (needs root).
if [ "$(id -u)" = 0 ]; then
  scripts/with-cups-pdf.sh build/test/bin/ResultsPrintQueueTest
  scripts/with-cups-pdf.sh build/test/bin/PrintTableTest
else
  echo "not root: the print queue test is skipped" >&2
fi

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIV_WERROR=$werror \
      -DKIV_BUILD_GUI=OFF -DKIV_SANITIZE=ON
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

cmake -S . -B build/sanitize-scalar -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIV_WERROR=$werror \
      -DKIV_BUILD_GUI=OFF -DKIV_SANITIZE=ON -DKIV_NO_SIMD=ON
scalar_tests="logscan_tests grid_tests jobs_tests"
cmake --build build/sanitize-scalar -j "$jobs" --target $scalar_tests
for t in $scalar_tests; do
  build/sanitize-scalar/bin/$t --gtest_brief=1
done

KIV_WERROR=$werror ./scripts/windows-tests.sh
