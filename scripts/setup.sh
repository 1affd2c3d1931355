#!/usr/bin/env bash
# Installs what Ferrandine needs from Debian's packages, configures and builds it into build/.
#
#   scripts/setup.sh          set up and build
#   scripts/setup.sh --try    ... then start the program against a local stand-in for SQL Server
#   scripts/setup.sh --run    ... then start the program
#   scripts/setup.sh --test   ... then run every test
#
# Safe to run again: packages already present are not touched, and the build is incremental.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
mode=${1:-}

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core fonts-liberation2
    unixodbc unixodbc-dev odbcinst tdsodbc libsqliteodbc sqlite3
    python3
    xvfb xauth
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j 2

case "$mode" in
    --try) exec "$root/scripts/try.sh" "$build" ;;
    --run) exec "$build/bin/ferrandine" ;;
    --test) exec ctest --test-dir "$build" --output-on-failure -j 2 ;;
    "") ;;
    *) echo "usage: $0 [--try | --run | --test]" >&2; exit 2 ;;
esac
