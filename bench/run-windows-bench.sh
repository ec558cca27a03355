#!/usr/bin/env bash
# kivlogs-cli for Windows under Wine against kivlogs-cli on Linux, side by side
# on the same year of keyword logs (365 files of 1 MB from kivlogs-gen): the
# median of RUNS searches each, and the ratios Windows / Linux. All must print
# the same bytes. Under Wine the files are read through Windows' own calls
# (CreateFileW, ReadFile), which Wine turns into the Linux ones. The Windows
# build has no Hyperscan (none is built for MinGW): it is compared with the
# Linux build as shipped, and with one without Hyperscan, the same matcher,
# where a ratio near 1 says that the Windows file layer adds nothing.
# Builds the bench preset (Linux, Release) and the windows-release preset
# (kivlogs-cli.exe only); generates the corpus into bench/corpus/year on first
# use. Environment: RUNS (default 5), YEAR (another corpus folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${RUNS:-5}
jobs=$(nproc 2>/dev/null || echo 2)

./scripts/install-deps.sh scripts/packages-windows.txt
./scripts/qt-mingw.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target kivlogs-cli kivlogs-gen -j "$jobs"
cmake --preset bench -B build/bench-no-hyperscan -DKIV_USE_HYPERSCAN=OFF >/dev/null
cmake --build build/bench-no-hyperscan --target kivlogs-cli -j "$jobs"
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release --target kivlogs-cli -j "$jobs"
linux_cli=$root/build/bench-release/bin/kivlogs-cli
plain_cli=$root/build/bench-no-hyperscan/bin/kivlogs-cli
windows_cli=$root/build/windows/release/bin/kivlogs-cli.exe

year=${YEAR:-bench/corpus/year}
if [ ! -d "$year" ]; then
  rm -rf "$year.part"
  mkdir -p "$(dirname "$year")"
  build/bench-release/bin/kivlogs-gen year "$year.part" --files 365 --size-mb 1
  mv "$year.part" "$year"
fi
year=$(realpath "$year")
out=$root/build/windows/bench
mkdir -p "$out"
words=$out/words.txt
printf '%s\r\n' sexe sexy enculer bites "seins nu" "femme nu" "femmes nu" >"$words"

export WINEDEBUG=-all
export WINEPREFIX=$root/build/windows/wineprefix
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(dirname "$wine")/wineserver
[ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot --init >/dev/null 2>&1
# One Wine server for every run, started beforehand, so that no run pays for it.
"$wineserver" -p 60 2>/dev/null || true   # (one may already be running)

# median_ms COMMAND...: the median wall time of RUNS runs, after one to warm
# the page cache; the output of the last run is in $out/last.out.
median_ms() {
  local times=() start end i
  "$@" >"$out/last.out"
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >"$out/last.out"
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}

echo "### kivlogs-cli search --scope Tout : $(ls "$year" | wc -l) fichiers, $(du -sh "$year" | cut -f1)"
linux_ms=$(median_ms "$linux_cli" search --logs "$year" --scope Tout --words "$words")
cp "$out/last.out" "$out/linux.out"
plain_ms=$(median_ms "$plain_cli" search --logs "$year" --scope Tout --words "$words")
cp "$out/last.out" "$out/plain.out"
windows_ms=$(median_ms "$wine" "$windows_cli" search --logs "Z:$year" --scope Tout --words "Z:$words")
cp "$out/last.out" "$out/windows.out"
"$wineserver" -k 2>/dev/null || true

if ! cmp -s "$out/linux.out" "$out/windows.out" || ! cmp -s "$out/linux.out" "$out/plain.out"; then
  echo "Les deux programmes n'ont pas écrit la même chose : $out/linux.out, $out/windows.out" >&2
  exit 1
fi
echo "résultats : $(wc -l <"$out/linux.out") lignes, identiques"
echo "kivlogs-cli (Linux, Hyperscan)      : $linux_ms ms"
echo "kivlogs-cli (Linux, sans Hyperscan) : $plain_ms ms"
echo "kivlogs-cli.exe (Wine)              : $windows_ms ms"
awk -v w="$windows_ms" -v l="$linux_ms" -v p="$plain_ms" 'BEGIN {
  printf "rapport Windows / Linux sans Hyperscan (même moteur) : %.2f\n", w / p
  printf "rapport Windows / Linux tel que livré                : %.2f\n", w / l
}'
