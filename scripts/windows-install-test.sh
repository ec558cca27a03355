#!/usr/bin/env bash
# Tries the Windows installer under Wine as a school's IT deployment would use
# it: a silent install (/S) under Program Files, the Start menu entry, the
# window it starts (with --user-config: the lists copied to %APPDATA%\kivlogs),
# the installed programs list, then a silent uninstall that leaves Program
# Files and the Start menu clean and the user's lists in place.
#   windows-install-test.sh SETUP.EXE [SCREENSHOT.png]
# Prints one "ok NAME" or "ÉCHEC NAME : why" a check. With SCREENSHOT, the
# started window is photographed there (on Xvfb, display :$KIV_XVFB_DISPLAY or 61).
# Uses the Wine prefix of build/windows (WINEPREFIX to choose another).
set -uo pipefail
cd "$(dirname "$0")/.."
setup=$(realpath "$1")
shot=${2:+$(realpath -m "$2")}
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$PWD/build/windows/wineprefix}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(dirname "$wine")/wineserver
[ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot --init >/dev/null 2>&1

# As on every Windows, Tahoma is among the system's fonts (Wine's own, of the
# same metrics, is not offered to programs); and the server's share is drive
# X:, holding the example logs in the default log folder.
cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
share=$PWD/build/windows/share
mkdir -p "$share/Torvel/Services"
rm -rf "$share/Torvel/Services/logs"
cp -r examples/logs "$share/Torvel/Services/logs"
ln -sfn "$share" "$WINEPREFIX/dosdevices/x:"

failed=0
check() { # check NAME WHY COMMAND...: ok when the command succeeds
  local name=$1 why=$2
  shift 2
  if "$@"; then echo "ok $name"; else echo "ÉCHEC $name : $why"; failed=1; fi
}
unix() { "$wine" winepath -u "$1" 2>/dev/null; }
registry_has() { "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KivLogs' /v "$1" >/dev/null 2>&1; }
registry_lacks() { ! registry_has "$1"; }

program_files=$(unix 'C:\Program Files')
install_dir="$program_files/Kiv Logs"
start_menu=$(unix 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')
appdata=$(unix "$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
rm -rf "$appdata/kivlogs"
before=$(ls -A "$program_files")

"$wine" "$setup" /S
"$wineserver" -w
check installed "kivlogs.exe absent de $install_dir\\bin" test -f "$install_dir/bin/kivlogs.exe"
check qt-beside-program "Qt6Widgets.dll ou le module qwindows absent" \
      test -f "$install_dir/bin/Qt6Widgets.dll" -a -f "$install_dir/bin/plugins/platforms/qwindows.dll"
check default-lists "les listes par défaut manquent dans share\\kivlogs" \
      test -f "$install_dir/share/kivlogs/kiv.ini" -a -f "$install_dir/share/kivlogs/kiv_salles.txt"
check start-menu-entry "raccourci « Kiv Logs » absent" test -f "$start_menu/Kiv Logs.lnk"
check installed-programs-entry "pas d'entrée dans les programmes installés" registry_has QuietUninstallString
check cli-runs "kivlogs-cli.exe ne démarre pas" \
      bash -c '"$1" "$2/bin/kivlogs-cli.exe" --version | grep -q "^kivlogs-cli "' _ "$wine" "$install_dir"

# The Start menu entry, opened as Explorer opens it, starts the window on the
# user's own lists: the defaults are copied to %APPDATA%\kivlogs once it is up.
display=${KIV_XVFB_DISPLAY:-61}
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=:$display "$wine" start 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Kiv Logs.lnk'
for _ in $(seq 60); do
  [ -f "$appdata/kivlogs/kiv_heures.txt" ] && DISPLAY=:$display xdotool search --name '^Kiv Logs$' >/dev/null 2>&1 && break
  sleep 1
done
check window-started "la fenêtre « Kiv Logs » ne s'est pas ouverte" \
      env DISPLAY=:$display xdotool search --name '^Kiv Logs$'
check user-lists "les listes ne sont pas copiées dans %APPDATA%\\kivlogs" \
      test -f "$appdata/kivlogs/kiv.ini" -a -f "$appdata/kivlogs/kiv_salles.txt" -a -f "$appdata/kivlogs/kiv_heures.txt"
if [ -n "$shot" ]; then
  sleep 2 # the first paint after the window maps
  DISPLAY=:$display xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$shot"
  echo "capture : $shot"
fi
# The window is closed as a user closes it.
DISPLAY=:$display xdotool search --name '^Kiv Logs$' windowclose >/dev/null 2>&1 ||
  DISPLAY=:$display xdotool search --name '^Kiv Logs$' key --window %1 alt+F4 >/dev/null 2>&1
timeout 30 "$wineserver" -w || "$wineserver" -k
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null

"$wine" "$install_dir/uninstall.exe" /S
"$wineserver" -w
check uninstalled "$install_dir reste après la désinstallation" test ! -e "$install_dir"
check program-files-clean "Program Files a changé : $(ls -A "$program_files" | tr '\n' ' ')au lieu de $(echo $before)" \
      test "$(ls -A "$program_files")" = "$before"
check start-menu-clean "le raccourci reste" test ! -e "$start_menu/Kiv Logs.lnk"
check installed-programs-clean "l'entrée des programmes installés reste" registry_lacks DisplayName
check user-lists-kept "les listes de l'utilisateur ont disparu" test -f "$appdata/kivlogs/kiv.ini"
rm -rf "$appdata/kivlogs"
exit "$failed"
