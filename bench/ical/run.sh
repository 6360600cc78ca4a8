#!/bin/sh
# iCalendar import and export of noxtool against libical alone, in one run:
#   import of a 10 000-event file (whole noxtool process) against ical_parse;
#   export of a 20-year folder against ical_write of as many events;
#   the 20-year folder exported and imported into an empty one: day files
#   byte-identical.
#
#   bench/ical/run.sh [BUILD_DIR]
set -eu
build=${1:-build}
bench="$build/bench"
noxtool="$build/bin/noxtool"
for p in "$bench/ical_parse" "$bench/ical_write" "$noxtool"; do
    [ -x "$p" ] || { echo "run.sh: build first: ninja -C $build" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
export TZ=${TZ:-Asia/Tokyo}

seconds() { # the wall time of a command, in seconds
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk "BEGIN { printf \"%.3f\", $end - $start }"
}

"$bench/ical_write" 10000 "$work/10k.ics"
parse=$(seconds "$bench/ical_parse" "$work/10k.ics")
mkdir "$work/in"
import=$(seconds "$noxtool" --data "$work/in" ical import "$work/10k.ics")
echo "import 10000 events: noxtool ${import}s, libical parse ${parse}s, ratio $(awk "BEGIN { printf \"%.1f\", $import / $parse }") (goal <= 1.5)"

home="$work/home20"
python3 "$(dirname "$0")/../make_data.py" "$home" --months 240 >/dev/null
folder=$(find "$home/data" -mindepth 1 -maxdepth 1 -type d | head -n1)
count=$(cat "$folder"/*.dat | wc -l)
export_time=$(seconds "$noxtool" --data "$folder" ical export -o "$work/20y.ics")
write=$(seconds "$bench/ical_write" "$count" "$work/w.ics")
echo "export ${count} schedules: noxtool ${export_time}s, libical write ${write}s, ratio $(awk "BEGIN { printf \"%.1f\", $export_time / $write }") (goal <= 1.2)"

mkdir "$work/back"
"$noxtool" --data "$work/back" ical import "$work/20y.ics" >/dev/null
differ=0
for f in "$folder"/*.dat; do
    cmp -s "$f" "$work/back/$(basename "$f")" || differ=$((differ + 1))
done
echo "round trip: $differ of $(ls "$folder"/*.dat | wc -l) day files differ (goal 0)"
