#!/usr/bin/env bash
# Installs the built program into a temporary prefix and runs it from there, then builds the Debian
# package and reads its control fields and file list.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_equal() { # what, expected, actual
    [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

# The files a package holds, relative to its prefix.
expected_files="bin/ferrandine
bin/ferrandine-cli
share/applications/ferrandine.desktop
share/ferrandine/HAND-M.CUR
share/ferrandine/Samples/alltypes.dbf
share/ferrandine/Samples/alltypes.fpt
share/ferrandine/Samples/customers.dbf
share/ferrandine/Samples/customers.fpt
share/ferrandine/Samples/orders.dbf
share/ferrandine/local-connection-example.jpg
share/icons/hicolor/128x128/apps/ferrandine.png
share/man/man1/ferrandine-cli.1"

# ---- cmake --install into a temporary prefix
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
expect_equal "installed files" "$expected_files" "$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)"

cli=$prefix/bin/ferrandine-cli
expect_equal "--version" "ferrandine-cli $version" "$("$cli" --version)"
expect_equal "tables of the installed samples" "alltypes	1252	header
customers	1252	header
orders	850	header" "$("$cli" tables "$prefix/share/ferrandine/Samples")"
"$cli" sql "$prefix/share/ferrandine/Samples" >"$work/samples.sql" || fail "sql on the installed samples"
grep -q '^CREATE TABLE \[customers\]' "$work/samples.sql" || fail "no CREATE TABLE [customers] in the statements"

# The manual page shows --help word for word, with roff's escapes undone.
man_text=$(sed -n '/^\.nf$/,/^\.fi$/p' "$prefix/share/man/man1/ferrandine-cli.1" | sed '1d;$d' |
    sed -e 's/^\\&//' -e 's/\\-/-/g' -e 's/\\e/\\/g')
expect_equal "manual page against --help" "$("$cli" --help)" "$man_text"
grep -q "^\.TH FERRANDINE\\\\-CLI 1 \"\" \"ferrandine-cli $version\"" "$prefix/share/man/man1/ferrandine-cli.1" ||
    fail "the manual page's title line does not name version $version"

# ---- the Debian package
arch=$(dpkg --print-architecture)
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$work/package/ferrandine_${version}_${arch}.deb
if [ -f "$deb" ]; then
    expect_equal "Package" ferrandine "$(dpkg-deb --field "$deb" Package)"
    expect_equal "Version" "$version" "$(dpkg-deb --field "$deb" Version)"
    expect_equal "Architecture" "$arch" "$(dpkg-deb --field "$deb" Architecture)"
    expect_equal "Recommends" "tdsodbc, libsqliteodbc" "$(dpkg-deb --field "$deb" Recommends)"
    depends=$(dpkg-deb --field "$deb" Depends)
    for package in xdg-utils libqt6widgets6 libodbc; do
        [[ "$depends" == *"$package"* ]] || fail "Depends [$depends] does not name $package"
    done
    expect_equal "package contents" "$(sed 's|^|usr/|' <<<"$expected_files")" \
        "$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | LC_ALL=C sort)"
else
    fail "no package $deb; cpack made: $(ls "$work/package")"
fi

[ "$failures" -eq 0 ] && echo "install and package: all checks passed"
exit $((failures > 0))
