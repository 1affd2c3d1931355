#!/usr/bin/env bash
# Saves a PNG of each window of the program, drawn on a virtual X display, into a folder
# (default: build/screenshots), and refreshes the pictures kept in the repository:
#   docs/main-window.png                        the README's picture of the main window
#   docs/sql-preview.png                        the README's picture of the SQL Preview window
#   app/companion/local-connection-example.jpg  opened by the SQL Server panel's "Help"
#
#   scripts/screenshots.sh [folder]
#
# The windows shown are listed in tools/screenshots.cpp.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
out=${1:-$build/screenshots}

cmake --build "$build" -j 2 --target ferrandine_screenshots
mkdir -p "$out" "$root/docs"
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$build/bin/ferrandine_screenshots" "$out" "$root/app/companion/local-connection-example.jpg"
cp "$out/main-window.png" "$out/sql-preview.png" "$root/docs/"
ls "$out"
