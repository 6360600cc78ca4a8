#!/bin/sh
# The start-up, navigation and settings benchmarks against a bare Qt window,
# under a fresh X server with a window manager (Xvfb + openbox).
#
#   bench/run.sh [BUILD_DIR] [bench_startup options: --runs N --steps N]
#
# The 20-year data folder is made once into BUILD_DIR/bench/home20 (about a
# minute) and reused. Needs: xvfb, openbox, python3.
set -eu
build=${1:-build}
[ $# -gt 0 ] && shift
bench="$build/bench"
[ -x "$bench/bench_startup" ] || { echo "run.sh: build first: ninja -C $build" >&2; exit 2; }

home20="$bench/home20"
if [ ! -f "$home20/.complete" ]; then
    rm -rf "$home20"
    mkdir -p "$home20"
    python3 "$(dirname "$0")/make_data.py" "$home20" --months 240 --noxtool "$build/bin/noxtool" >&2
    touch "$home20/.complete"
fi

# A display of our own: the first free one from :71 on.
display=71
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wm=
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
command -v openbox >/dev/null || { echo "run.sh: openbox is missing (bash scripts/setup.sh installs it)" >&2; exit 2; }
DISPLAY=":$display" openbox >/dev/null 2>&1 &
wm=$!
sleep 1
kill -0 "$wm" 2>/dev/null || { echo "run.sh: the window manager did not start" >&2; exit 2; }

unset QT_QPA_PLATFORM
DISPLAY=":$display" "$bench/bench_startup" --home20 "$home20" "$@"
echo
"$bench/bench_settings"
