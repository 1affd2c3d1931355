#!/usr/bin/env bash
# Starts Ferrandine against a local stand-in for SQL Server, so that the program can be tried on a
# machine without one: an SQLite database file, reached through the SQLite ODBC driver registered
# under the name "SQL Server" in a private ODBC configuration. The program finds out that it talks to
# SQLite and writes SQLite's dialect, so every sample table arrives.
#
#   scripts/try.sh [--prepare] [BUILD-FOLDER [TRY-FOLDER]]
#
# BUILD-FOLDER defaults to build/ (scripts/setup.sh --try builds it first), TRY-FOLDER to
# BUILD-FOLDER/try; --prepare only writes TRY-FOLDER and does not start the program. It holds odbc/
# (the ODBC configuration), config/Quenthal.ini (the settings, pre-filled on the first start with the
# Samples folder and the database file; changes you make are kept) and target.db (the database the
# tables arrive in, in write-ahead-log mode). Your own settings and ODBC configuration are not touched.
set -euo pipefail

prepare_only=false
if [ "${1:-}" = --prepare ]; then
    prepare_only=true
    shift
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
try=${2:-$build/try}
program="$build/bin/ferrandine"
[ -x "$program" ] || { echo "$program is not built; run scripts/setup.sh first" >&2; exit 1; }

driver=$(dpkg -L libsqliteodbc 2>/dev/null | grep '/libsqlite3odbc\.so$' | head -n 1 || true)
[ -n "$driver" ] || driver=$(ls /usr/lib/*/odbc/libsqlite3odbc.so 2>/dev/null | head -n 1 || true)
[ -n "$driver" ] || { echo "The SQLite ODBC driver (Debian package libsqliteodbc) is missing" >&2; exit 1; }

command -v sqlite3 > /dev/null || { echo "sqlite3 (Debian package sqlite3) is missing" >&2; exit 1; }

mkdir -p "$try/odbc" "$try/config"
# The database file is this mode's own, so it may be kept in write-ahead-log mode: a COMMIT then
# appends to the log without waiting for the disk (the driver's synchronous=NORMAL), and the rows
# arrive at SQLite's own speed instead of one disk flush per transaction. The file stays consistent
# after a crash; only the last transactions before a power loss may be missing. The mode is kept in
# the file itself, so no connection option is needed: a database file named elsewhere in the login
# panel is left as it is.
sqlite3 "$try/target.db" 'PRAGMA journal_mode=WAL;' > /dev/null
printf '[SQL Server]\nDescription=SQLite standing in for SQL Server\nDriver=%s\n' "$driver" >"$try/odbc/odbcinst.ini"
: >"$try/odbc/odbc.ini"

# A settings value in double quotes, with its backslashes and quotes escaped.
quoted() { local text=${1//\\/\\\\}; printf '"%s"' "${text//\"/\\\"}"; }

settings="$try/config/Quenthal.ini"
if [ ! -f "$settings" ]; then
    (
        umask 077
        {
            echo "[Ferrandine]"
            echo "FreeTableFolder=$(quoted "$build/bin/Samples")"
            echo "FoxproOption=2"
            echo "MSSQL%20Server=localhost"
            echo "MSSQL%20Port=1433"
            echo "MSSQL%20Database=$(quoted "$try/target.db")"
            echo "MSSQL%20User=trial"
            echo "MSSQL%20Password="
            echo "Local%20Connection=1"
            echo "Check1=0"
            echo "Option1=1"
            echo "Option2=0"
        } >"$settings"
    )
fi

$prepare_only && exit 0
cat <<MESSAGE
Trying Ferrandine against a local stand-in for SQL Server (an SQLite file, not SQL Server).
Press "Start Converting": the sample tables arrive in
    $try/target.db
Look at them with:
    sqlite3 "$try/target.db" '.tables' 'SELECT * FROM customers;'
MESSAGE
export ODBCSYSINI="$try/odbc" ODBCINI="$try/odbc/odbc.ini" XDG_CONFIG_HOME="$try/config"
exec "$program"
