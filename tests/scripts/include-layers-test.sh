#!/usr/bin/env bash
# The layers of the source tree, checked on every include: a folder includes
# only the folders below it, and a folder's detail/ only from that folder and
# its tests. A failure names the file, the line and the arrow that points up.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"

# What each folder of the program may include, itself aside.
allowed() {
  case $1 in
    common) echo "" ;;
    FileFind) echo "common" ;;
    logscan) echo "common" ;;
    table) echo "logscan common" ;;
    jobs) echo "logscan FileFind common" ;;
    cli) echo "jobs table logscan FileFind common" ;;
    qtext) echo "logscan common" ;;
    grid) echo "table qtext logscan common" ;;
    lines) echo "qtext" ;;
    app) echo "jobs grid lines table qtext logscan FileFind common" ;;
    *) return 1 ;;
  esac
}

status=0
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  target=$(sed -E 's/^[^"]*"([^"]+)".*$/\1/' <<<"${rest#*:}")
  from=${file%%/*}
  to=${target%%/*}
  # A detail/ header belongs to its folder and that folder's tests.
  if [[ $target == */detail/* ]]; then
    owner=${target%%/detail/*}
    case $file in
      "$owner"/* | tests/"$owner"/*) ;;
      *) echo "$file:$line: $target is the inside of $owner/"; status=1 ;;
    esac
  fi
  [ "$from" = "$to" ] && continue
  if ! ok=$(allowed "$from"); then
    continue # tests/, bench/: they may reach any layer of the program
  fi
  case " $ok " in
    *" $to "*) ;;
    *) echo "$file:$line: $from/ includes $target"; status=1 ;;
  esac
done < <(git ls-files '*.h' '*.cpp' | xargs grep -n '^#include "' | grep -v '\.moc"')

# Every include names its folder: a bare name hides the layer it reaches.
if bare=$(git ls-files '*.h' '*.cpp' | xargs grep -n '^#include "[^/"]*"' | grep -v '\.moc"'); then
  echo "$bare" | sed 's/$/  (an include without its folder)/'
  status=1
fi
[ $status -eq 0 ] && echo "every include points down"
exit $status
