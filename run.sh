#!/usr/bin/env bash
# Installs what is missing, builds Kiv Logs (Release) and starts it on a copy
# of the bundled examples in the build folder: what the window saves there
# (the lists, the log folder it was shown) never changes the repository's
# files. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"

# Said before anything is installed or built: the window needs a screen.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Aucun affichage graphique (DISPLAY n'est pas défini)." >&2
  echo "Lancez par exemple :  xvfb-run -a ./run.sh   (écran virtuel)" >&2
  echo "ou connectez-vous avec un affichage (ssh -X, session graphique)." >&2
  exit 1
fi

./scripts/install-deps.sh

# The release preset (CMakePresets.json): the build test.sh checks and the
# benchmarks use.
cmake --preset release
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)" --target kivlogs kivlogs-cli

# Files added to examples/ since the last run are copied; the lists edited
# in the copy are kept.
mkdir -p build/release/examples
cp -R -n examples/. build/release/examples/

. scripts/runtime-dir.sh
use_runtime_dir --missing build/release/xdg
window=(build/release/bin/kivlogs --logs build/release/examples/logs --config build/release/examples "$@")

# Without a session bus (a bare ssh -X session, xvfb-run), the first program
# to ask for one has D-Bus start it through dbus-launch, and that bus outlives
# the window. Started here, it ends with the window.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  if command -v dbus-run-session >/dev/null 2>&1; then
    exec dbus-run-session -- "${window[@]}"
  elif command -v dbus-launch >/dev/null 2>&1; then
    eval "$(dbus-launch --sh-syntax)"
    trap 'kill "$DBUS_SESSION_BUS_PID" 2>/dev/null' EXIT
    "${window[@]}"
    exit
  fi
fi
exec "${window[@]}"
