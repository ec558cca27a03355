#!/usr/bin/env bash
# Starts kivlogs on examples/ under Xvfb with an accessibility bus, and uses
# its search tab through AT-SPI alone (scripts/check-accessibility.py), as a
# screen reader would.
#   scripts/check-accessibility.sh [PATH-TO-kivlogs]   (default build/test/bin/kivlogs)
# Needs xvfb, dbus, at-spi2-core and python3-pyatspi (the system Python).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kivlogs=$(realpath "${1:-$root/build/test/bin/kivlogs}")
export root kivlogs
xvfb-run -a dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  bus=$!
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
  "$kivlogs" --logs "$root/examples/logs" --config "$root/examples" &
  app=$!
  status=0
  /usr/bin/python3 "$root/scripts/check-accessibility.py" "Kiv Logs" || status=$?
  kill $app $bus 2>/dev/null || true
  wait 2>/dev/null || true
  exit $status'
