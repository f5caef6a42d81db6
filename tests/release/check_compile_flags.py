#!/usr/bin/env python3
"""Fails unless every compile of the project's own sources has -Wall -Wextra, and -Werror
exactly when the build treats warnings as errors (ON/OFF), and no compile of GoogleTest's
sources has -Werror.

Usage: check_compile_flags.py compile_commands.json SOURCE_DIR ON|OFF
"""
import json
import os
import shlex
import sys

WANTED = ("-Wall", "-Wextra")


def problems(entries, source_dir, build_dir, errors=True):
    # Sources that the build generates (tables from Debian packages) are ours too.
    roots = tuple(os.path.realpath(d) + os.sep for d in (source_dir, build_dir))
    found, ours = [], 0
    for entry in entries:
        path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
        words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
        if path.startswith(roots):
            ours += 1
            missing = [w for w in WANTED + (("-Werror",) if errors else ()) if w not in words]
            if missing:
                found.append(f"{path}: compiled without {' '.join(missing)}")
            elif not errors and "-Werror" in words:
                found.append(f"{path}: compiled with -Werror, which the build did not ask for")
        elif "-Werror" in words:
            found.append(f"{path}: not ours, yet compiled with -Werror")
    if ours == 0:
        found.append("no compile of the project's sources found")
    return found


def main(argv):
    if len(argv) != 4 or argv[3].upper() not in ("ON", "OFF"):
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        entries = json.load(f)
    found = problems(entries, argv[2], os.path.dirname(os.path.abspath(argv[1])),
                     argv[3].upper() == "ON")
    for line in found:
        print(line)
    if not found:
        print(f"{len(entries)} compiles checked")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
