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

# Windows' icon (the program's own, its installer's, the Start menu's): one
# .ico holding the PNGs of the sizes Windows shows, as Windows Vista and later
# read them.
mkdir -p "$here/../windows"
python3 - "$here/hicolor" "$here/../windows/kivlogs.ico" <<'PYTHON'
import struct, sys
sizes = [16, 24, 32, 48, 64, 128, 256]
images = [open(f"{sys.argv[1]}/{n}x{n}/apps/kivlogs.png", "rb").read() for n in sizes]
offset = 6 + 16 * len(images)
head = struct.pack("<HHH", 0, 1, len(images))
entries = b""
for n, png in zip(sizes, images):
    entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(png), offset)
    offset += len(png)
open(sys.argv[2], "wb").write(head + entries + b"".join(images))
PYTHON
