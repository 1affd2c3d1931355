#!/usr/bin/env bash
# Saves a PNG of each window of the program, drawn on a virtual X display, into a folder
# (default: build/screenshots), and refreshes the pictures kept in the repository:
#   docs/main-window.png                        the README's picture of the main window
#   docs/sql-preview.png                        the README's picture of the SQL Preview window, grown,
#                                               after an Execute SQL into the SQLite stand-in of
#                                               scripts/try.sh in which two lines failed
#   docs/run-report.png                         the README's picture of the Run Report window
#   app/companion/local-connection-example.jpg  opened by the SQL Server panel's "Help"
#
#   scripts/screenshots.sh [folder]
#
# The windows shown are listed in tools/screenshots.cpp.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
out=${1:-$build/screenshots}

cmake --build "$build" -j 2 --target ferrandine ferrandine_screenshots
mkdir -p "$out" "$root/docs"
try=$(mktemp -d)
trap 'rm -rf "$try"' EXIT
"$root/scripts/try.sh" --prepare "$build" "$try"
ODBCSYSINI="$try/odbc" ODBCINI="$try/odbc/odbc.ini" xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$build/bin/ferrandine_screenshots" "$out" "$root/app/companion/local-connection-example.jpg"
cp "$out/main-window.png" "$root/docs/"
cp "$out/sql-preview-failed-lines.png" "$root/docs/sql-preview.png"
cp "$out/run-report.png" "$root/docs/"
ls "$out"
