#!/usr/bin/env bash
# Runs a command with a printer of its own: a private CUPS scheduler on a
# private socket and configuration folder, whose default (and only) queue is a
# CUPS-PDF printer. No queue of the machine is touched.
#   scripts/with-cups-pdf.sh COMMAND [ARGS...]
# The command sees CUPS_SERVER (the private scheduler's socket) and
# CUPS_PDF_OUT (the folder where CUPS-PDF writes the printed jobs, one PDF per
# job). Needs root (the scheduler runs its filters as the user lp) and the
# packages cups and printer-driver-cups-pdf.
set -euo pipefail

if [ "$#" -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi
if [ "$(id -u)" != 0 ]; then
  echo "$0: a private CUPS scheduler needs root" >&2
  exit 1
fi
for tool in /usr/sbin/cupsd lpadmin lpstat; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing (package cups)" >&2; exit 1; }
done
[ -x /usr/lib/cups/backend/cups-pdf ] || { echo "$0: CUPS-PDF is missing (package printer-driver-cups-pdf)" >&2; exit 1; }

dir=$(mktemp -d /tmp/kiv-cups.XXXXXX)
mkdir -p "$dir"/{conf,spool,cache,state,log,run}
chmod 755 "$dir"
chgrp -R lp "$dir"/spool "$dir"/cache "$dir"/state "$dir"/log "$dir"/run
chmod -R g+w "$dir"/spool "$dir"/cache "$dir"/state "$dir"/log "$dir"/run

cat >"$dir/conf/cupsd.conf" <<CONF
Listen $dir/run/cups.sock
LogLevel warn
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
CONF
cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/spool
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
CONF

/usr/sbin/cupsd -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" -f &
cupsd_pid=$!
stop() {
  kill "$cupsd_pid" 2>/dev/null || true
  wait "$cupsd_pid" 2>/dev/null || true
  rm -rf "$dir"
}
trap stop EXIT

export CUPS_SERVER=$dir/run/cups.sock
# The scheduler answers within a moment; give up after ten seconds.
for _ in $(seq 100); do
  lpstat -r 2>/dev/null | grep -q "not running" || { lpstat -r >/dev/null 2>&1 && break; }
  kill -0 "$cupsd_pid" 2>/dev/null || { echo "$0: cupsd did not start" >&2; cat "$dir/log/error_log" >&2 || true; exit 1; }
  sleep 0.1
done
lpstat -r | grep -q "scheduler is running" || { echo "$0: cupsd does not answer" >&2; exit 1; }

lpadmin -p KivPDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E 2>/dev/null
# The queue's PDF is made again from PostScript. Cairo's PostScript keeps
# which character each glyph is, so the text of the PDF that comes out can be
# read back (pdftotext); Ghostscript's and Poppler's lose it here.
lpadmin -p KivPDF -o pdftops-renderer-default=pdftocairo
lpadmin -d KivPDF

# CUPS-PDF writes where its own configuration says, for the user who printed.
home=$(getent passwd "$(id -un)" | cut -d: -f6)
out=$(sed -n 's/^Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -n 1)
out=${out:-\$\{HOME\}/PDF}
out=${out//\$\{HOME\}/$home}
out=${out//\$\{USER\}/$(id -un)}
mkdir -p "$out"
export CUPS_PDF_OUT=$out

"$@"
