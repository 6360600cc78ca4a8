#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a
# short time. Usage: scripts/fuzz.sh [seconds-per-target] [target ...]
# Findings are kept in build-fuzz/fuzz/<target>-artifacts/; the exit status is
# non-zero when any target found a crash.
set -eu
cd "$(dirname "$0")/.."
secs=${1:-30}
[ $# -gt 0 ] && shift
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DNOX_BUILD_FUZZ=ON -DNOX_BUILD_TESTS=OFF -DNOX_BUILD_BENCH=OFF >/dev/null

if [ $# -gt 0 ]; then
    targets="$*"
else
    targets=$(cd fuzz && for d in */; do
        sed -n 's/^nox_add_fuzzer(\([A-Za-z0-9_]*\).*/\1/p' "$d/CMakeLists.txt"
    done)
fi
# shellcheck disable=SC2086
cmake --build "$build" --target $targets -j2

status=0
for t in $targets; do
    corpus="$build/fuzz/$t-corpus"
    artifacts="$build/fuzz/$t-artifacts"
    mkdir -p "$corpus" "$artifacts"
    seeds="fuzz/$(echo "$t" | sed 's/^fuzz_//')/seeds"
    [ -d "$seeds" ] || seeds=
    echo "== $t ($secs s)"
    # shellcheck disable=SC2086
    if ! "$build/fuzz/$t" -max_total_time="$secs" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" $seeds; then
        echo "!! $t found a problem: see $artifacts" >&2
        status=1
    fi
done
exit $status
