#!/bin/sh
# Kills a memo writer with SIGKILL at random moments, KILLS times, and checks
# after every 50 kills and at the end that memo.nox is sound ("noxtool memo
# check") and that every acknowledged memo reads back.
# Usage: memo_kill_loop.sh WRITER KILLS NOXTOOL
set -eu
writer=$1
kills=$2
noxtool=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
log=$dir/log
mkdir "$dir/data"

check() {
    "$noxtool" --data "$dir/data" memo check >/dev/null
    "$writer" verify "$dir/data" "$log" >/dev/null
}

i=0
while [ "$i" -lt "$kills" ]; do
    "$writer" write "$dir/data" "$i" $((i * 1000000)) >>"$log" &
    pid=$!
    # Start-up takes a few milliseconds; kill anywhere within the writing after it.
    sleep "$(awk -v s="$i" 'BEGIN { srand(s); printf "%.3f", 0.005 + rand() * 0.25 }')"
    kill -9 "$pid" 2>/dev/null || true
    status=0
    wait "$pid" 2>/dev/null || status=$?
    if [ "$status" -ne 137 ]; then
        echo "memo_kill_loop: the writer ended by itself (status $status) at run $i" >&2
        exit 1
    fi
    i=$((i + 1))
    if [ $((i % 50)) -eq 0 ]; then
        check || { echo "memo_kill_loop: failed after $i kills" >&2; exit 1; }
    fi
done
check || { echo "memo_kill_loop: failed after $i kills" >&2; exit 1; }
"$writer" verify "$dir/data" "$log"
echo "memo_kill_loop: $kills kills, $(grep -c '^ack' "$log") acknowledged writes, memo.nox sound"
