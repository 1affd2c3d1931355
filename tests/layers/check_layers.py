#!/usr/bin/env python3
"""Fails, naming the file and line, where a folder of the product includes a folder above it.

usage: check_layers.py ROOT

The layers, lowest first. A folder may include its own headers and those of every lower layer;
folders that share a layer are siblings and may not include each other.
"""
import pathlib
import re
import sys

LAYERS = [
    ["base"],
    ["settings"],
    ["db"],
    ["convert"],
    ["ui"],
    ["source", "preview", "report"],
    ["app", "cli"],
]

RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def violations(root):
    for folder, rank in sorted(RANK.items()):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".in"):
                continue
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match or match.group(1) not in RANK or match.group(1) == folder:
                    continue
                used = match.group(1)
                if RANK[used] >= rank:
                    where = "above" if RANK[used] > rank else "beside"
                    yield (f"{path.relative_to(root)}:{number}: {folder}/ includes {used}/, "
                           f"a folder {where} it: {line.strip()}")


def main():
    root = pathlib.Path(sys.argv[1])
    found = list(violations(root))
    for text in found:
        print(text)
    if found:
        order = " -> ".join(", ".join(folders) for folders in LAYERS)
        print(f"{len(found)} include(s) against the layers ({order})")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
