#!/usr/bin/env bash
# Installs the Debian packages of packages.txt (or of the list files given as
# arguments) that are not installed yet; apt-get runs only when one is missing.
# Without arguments it then tries packages-optional.txt, whose packages the
# build can do without.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
optional=()
lists=("$@")
if [ ${#lists[@]} -eq 0 ]; then
  lists=("$here/packages.txt")
  optional=("$here/packages-optional.txt")
fi

# The packages of the given lists that are not installed.
missing_from() {
  local pkg
  while read -r pkg; do
    [ -z "$pkg" ] && continue
    case "$pkg" in \#*) continue ;; esac
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$pkg"
    fi
  done < <(cat "$@")
}

mapfile -t missing < <(missing_from "${lists[@]}")
wanted=()
[ ${#optional[@]} -gt 0 ] && mapfile -t wanted < <(missing_from "${optional[@]}")
if [ ${#missing[@]} -eq 0 ] && [ ${#wanted[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installation des paquets manquants : ${missing[*]}"
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
for pkg in "${wanted[@]}"; do
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "$pkg" \
    || echo "Paquet facultatif indisponible ici : $pkg (Kiv Logs se construit sans lui)"
done
