#!/usr/bin/env bash
# Fuzzes the FoxPro table, memo and container readers with libFuzzer (Debian's clang-14 and
# libclang-rt-14-dev), under AddressSanitizer and UndefinedBehaviorSanitizer. Not part of the build
# or of CI.
#
#   bench/fuzz.sh [SECONDS]      (default 600)
#
# Seeds come from the shared real fixtures (each table with its memo file, and with its index file);
# the corpus, the log and any crashing input stay in $FERRANDINE_FUZZ_DIR (default /tmp/ferrandine-fuzz).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-600}
work=${FERRANDINE_FUZZ_DIR:-/tmp/ferrandine-fuzz}
fixtures="$root/../shared/fixtures/real"
mkdir -p "$work/corpus" "$work/crashes"

sources=(ByteSource CodePage CodePageGuess Container FieldValues FileLookup IndexFile KeyExpression MemoFile
    StructuralIndex Table TableHeader TableRecordSet)
files=("$root/bench/FuzzFoxPro.cpp" "$root/db/RecordSet.cpp")
for s in "${sources[@]}"; do files+=("$root/db/foxpro/$s.cpp"); done

clang++-14 -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" $(pkg-config --cflags Qt6Core) "${files[@]}" $(pkg-config --libs Qt6Core) -o "$work/fuzz_foxpro"

# A seed is: memo style byte, table length (32-bit little-endian), table bytes, memo bytes.
python3 - "$fixtures" "$work/corpus" <<'PY'
import os, struct, sys
root, out = sys.argv[1], sys.argv[2]
n = 0
for dp, _, names in os.walk(root):
    lower = {name.lower(): name for name in names}
    for name in names:
        base, ext = os.path.splitext(name)
        if ext.lower() not in (".dbf", ".dbc"):
            continue
        table = open(os.path.join(dp, name), "rb").read()[:32768]
        memo, style = b"", 0
        for memo_ext, s in ((".dct", 0), (".fpt", 0), (".dbt", 1 if table[:1] in (b"\x03", b"\x83") else 2)):
            if (base + memo_ext).lower() in lower:
                memo, style = open(os.path.join(dp, lower[(base + memo_ext).lower()]), "rb").read()[:32768], s
                break
        seeds = [(style, memo)]
        for index_ext in (".cdx", ".dcx"):
            if (base + index_ext).lower() in lower:
                seeds.append((0, open(os.path.join(dp, lower[(base + index_ext).lower()]), "rb").read()[:32768]))
        for style, after in seeds:
            with open(os.path.join(out, "seed%03d" % n), "wb") as f:
                f.write(bytes([style]) + struct.pack("<I", len(table)) + table + after)
            n += 1
print("%d seeds" % n)
PY

cd "$work"
"$work/fuzz_foxpro" -max_total_time="$seconds" -max_len=70000 -rss_limit_mb=1024 -timeout=10 \
    -artifact_prefix="$work/crashes/" -print_final_stats=1 "$work/corpus" 2>&1 | tee "$work/fuzz.log" | tail -20
