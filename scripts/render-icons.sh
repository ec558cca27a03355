#!/usr/bin/env bash
# Renders the program's icon, packaging/icons/kivlogs.svg, into the PNG sizes
# that desktops look for (packaging/icons/hicolor/<n>x<n>/apps/kivlogs.png).
# Run it after the drawing changes; the PNGs are kept in the repository so that
# building the package needs no renderer. Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
here=$(cd "$(dirname "$0")/../packaging/icons" && pwd)
command -v rsvg-convert >/dev/null || "$(dirname "$0")/install-deps.sh" <(echo librsvg2-bin)
for n in 16 22 24 32 48 64 128 256; do
  mkdir -p "$here/hicolor/${n}x${n}/apps"
  rsvg-convert -w "$n" -h "$n" "$here/kivlogs.svg" -o "$here/hicolor/${n}x${n}/apps/kivlogs.png"
done
