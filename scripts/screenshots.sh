#!/usr/bin/env bash
# The README's pictures: runs the program under Xvfb with openbox on a
# throw-away data folder filled with generated schedules around today, and
# saves one picture of each view (the week, the month, the search window, the
# free memo) as small PNGs.
#
#   scripts/screenshots.sh [BIN_DIR] [OUT_DIR]
#
# BIN_DIR holds nox, noxtool and the factory folders (default: build/bin);
# OUT_DIR receives the pictures (default: docs/screenshots). Needs xvfb,
# openbox, xdotool and imagemagick (bash scripts/setup.sh installs them).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$here/build/bin}" && pwd)
out=${2:-$here/docs/screenshots}
mkdir -p "$out"
for tool in Xvfb openbox xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (bash scripts/setup.sh installs it)" >&2; exit 2; }
done

work=$(mktemp -d)
home=$work/home
mkdir "$home"
cp -r "$bin/default" "$bin/print" "$home/"
[ -f "$bin/nox.html" ] && cp "$bin/nox.html" "$home/"

display=${NOX_SHOT_DISPLAY:-:$((70 + RANDOM % 20))}
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pids=()
cleanup() {
    # Nox saves on SIGTERM: let it finish before its folder goes.
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# Three months of generated schedules and day memos around today, and two
# pages of the free memo.
user=$(id -un)
data=$home/data/$user
python3 "$here/bench/make_data.py" "$home" --months 3 --seed 3 --user "$user" --noxtool "$bin/noxtool" >/dev/null
printf '買い物\t1\r\nアイデア\t2\r\n' >"$data/memoindex.txt"
printf '牛乳\r\n卵\r\nコーヒー豆\r\n電池 (単3)\r\n' >"$data/memo1.txt"
printf '週末に本棚を組み立てる\r\n旅行の候補: 京都、金沢\r\n' >"$data/memo2.txt"

NOX_HOME=$home "$bin/nox" >"$work/nox.log" 2>&1 &
nox=$!
pids+=("$nox")
window() { # the newest window whose title matches $1
    local w=""
    for _ in $(seq 60); do
        w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
        [ -n "$w" ] && break
        sleep 0.25
    done
    [ -n "$w" ] || { echo "screenshots: no window \"$1\"; the program's log:" >&2; cat "$work/nox.log" >&2; exit 1; }
    echo "$w"
}
key() { xdotool key --window "$1" --clearmodifiers "${@:2}"; sleep 0.8; }
# A window's picture in few colours: the interface has flat areas and a
# handful of colours, so 128 of them keep it exact to the eye at a fraction of
# the size.
shot() { import -window "$1" "$work/$2.png" && convert "$work/$2.png" -colors 128 -define png:compression-level=9 "PNG8:$out/$2.png"; }

main=$(window '^Nox - ver')
xdotool windowsize "$main" 1000 700 windowmove "$main" 0 0
xdotool windowactivate --sync "$main"
sleep 1.5
key "$main" ctrl+7
key "$main" ctrl+h
shot "$main" week

# The tool bar at this width, left to right: ◀, 検索/印刷..., 追加..., 編集..., 今日,
# メモ, the free memo, 月 (the view switch), go to a date, settings, more and fewer
# days, ▶.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 1.5; }
click "$main" 818 15
shot "$main" month
click "$main" 818 15

click "$main" 275 15
search=$(window '^検索 / 印刷$')
xdotool windowactivate --sync "$search"
sleep 0.5
click "$search" 63 15 # 検索開始: an empty search text finds every schedule
shot "$search" search
xdotool key --window "$search" Escape
sleep 0.5

xdotool windowactivate --sync "$main"
click "$main" 775 15
memo=$(window '^フリーメモ$')
sleep 1
shot "$memo" freememo

ls -l "$out"/*.png
