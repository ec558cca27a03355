# Sourced by the scripts that start Qt programs (run.sh, test.sh, the window
# benchmarks): Qt keeps its sockets in the runtime folder, XDG_RUNTIME_DIR,
# which a bare ssh session, a container or a CI runner does not always have.
#   use_runtime_dir DIR          XDG_RUNTIME_DIR becomes DIR (made, mode 700)
#   use_runtime_dir --missing DIR  the same, only when there is none yet
use_runtime_dir() {
  if [ "$1" = --missing ]; then
    shift
    if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ -d "$XDG_RUNTIME_DIR" ]; then
      return 0
    fi
  fi
  mkdir -p "$1"
  chmod 700 "$1"
  XDG_RUNTIME_DIR=$(cd "$1" && pwd)
  export XDG_RUNTIME_DIR
}
