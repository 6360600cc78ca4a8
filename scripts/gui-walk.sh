#!/usr/bin/env bash
# A scripted walk through the main window as a user would take it, under Xvfb
# with a window manager: navigate, switch views, change the column count, edit
# a schedule in place, quit. Meant for sanitizer builds: the program's own exit
# code (and the sanitizer's report in the log) tells whether the walk was clean.
#
#   scripts/gui-walk.sh BIN_DIR [OUT_DIR]
#
# BIN_DIR holds nox, noxtool and the factory folders; OUT_DIR receives the log
# and screenshots (default: a fresh temporary folder).
set -euo pipefail
bin=$(cd "$1" && pwd)
out=${2:-$(mktemp -d)}
mkdir -p "$out"
home=$(mktemp -d)
cp -r "$bin/default" "$bin/print" "$home/"
[ -f "$bin/nox.html" ] && cp "$bin/nox.html" "$home/"

display=:$((70 + RANDOM % 20))
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
command -v openbox >/dev/null || { echo "gui-walk: openbox is missing (bash scripts/setup.sh installs it)" >&2; exit 2; }
DISPLAY=$display openbox >/dev/null 2>&1 &
export DISPLAY=$display
# A leak inside the system's D-Bus library is not ours to fix.
printf 'leak:libdbus-1.so\n' >"$out/lsan.supp"
export LSAN_OPTIONS="suppressions=$out/lsan.supp"

NOX_HOME=$home "$bin/nox" >"$out/nox.log" 2>&1 &
nox=$!
win=""
for _ in $(seq 60); do
    win=$(xdotool search --name '^Nox - ver' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.5
done
[ -n "$win" ] || { echo "gui-walk: the main window did not appear" >&2; exit 1; }
sleep 2
key() { xdotool key --window "$win" --clearmodifiers "$@"; sleep 0.6; }
shot() { import -window root "$out/$1.png"; }

data=$(ls -d "$home"/data/*)
"$bin/noxtool" --data "$data" --force add "$(date -d '+14 days' +%F)" 9:00 10:30 "歯医者" >/dev/null 2>&1
xdotool windowactivate --sync "$win"
for k in ctrl+k ctrl+j ctrl+m ctrl+n ctrl+h ctrl+7 ctrl+1 ctrl+u ctrl+u ctrl+l ctrl+5; do key "$k"; done
shot navigated
key ctrl+k; key ctrl+k # the schedule's week
xdotool mousemove 450 34 click 1; sleep 1.5; shot month # the view switch button
key ctrl+m; key ctrl+n
xdotool mousemove 450 34 click 1; sleep 1.5; shot day
key ctrl+7; key ctrl+1; key ctrl+l; key ctrl+3
xdotool windowactivate --sync "$win"
xdotool key alt+F4
rc=0
wait "$nox" || rc=$?
echo "gui-walk: nox exited with $rc; log and screenshots in $out"
exit "$rc"
