#!/usr/bin/env bash
# Times `ferrandine-cli sql` against pgdbf on the same 1,000,000-row Visual FoxPro table (C, N with
# decimals, I, D, T, L, Y, M with memo text, some NULLs), both writing to /dev/null, and shows their
# elapsed time (median of RUNS) and peak memory side by side.
#
#   bench/foxpro-sql-bench.sh [ROWS] [RUNS]      (defaults: 1000000 rows, 5 runs)
#
# Builds what it needs into build/ and keeps the generated table in $FERRANDINE_BENCH_DIR
# (default /tmp/ferrandine-bench). Installs pgdbf from Debian when it is missing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
rows=${1:-1000000}
runs=${2:-5}
data=${FERRANDINE_BENCH_DIR:-/tmp/ferrandine-bench}

if ! command -v pgdbf > /dev/null; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends pgdbf
fi
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j 2 --target ferrandine-cli make_big_table > /dev/null

mkdir -p "$data"
if [ ! -f "$data/big.dbf" ] || [ "$(cat "$data/rows" 2>/dev/null)" != "$rows" ]; then
    "$build/bench/make_big_table" "$data" "$rows"
    echo "$rows" > "$data/rows"
fi

# Prints "<median seconds> <largest peak memory in KB>" of RUNS runs of the command.
measure() {
    local times=() peak=0 log
    log=$(mktemp)
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%e %M' -o "$log" "$@" > /dev/null 2>> "$log.err" || true
        read -r seconds kb < "$log"
        times+=("$seconds")
        ((kb > peak)) && peak=$kb
    done
    rm -f "$log" "$log.err"
    printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")" "$peak"
}

read -r ours ours_kb < <(measure "$build/bin/ferrandine-cli" sql "$data" big)
read -r theirs theirs_kb < <(measure pgdbf -m "$data/big.fpt" "$data/big.dbf")

printf '%-26s %10s %14s\n' "" "seconds" "peak memory"
printf '%-26s %10s %11s MB\n' "ferrandine-cli sql" "$ours" "$((ours_kb / 1024))"
printf '%-26s %10s %11s MB\n' "pgdbf" "$theirs" "$((theirs_kb / 1024))"
awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "time ratio (ours / pgdbf): %.2f\n", a / b }'
