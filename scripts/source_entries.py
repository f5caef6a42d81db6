#!/usr/bin/env python3
"""Prints deb-src entries (deb822) that mirror the machine's Debian package entries, for
those entries that have no source twin yet; prints nothing when none is missing.

The Windows build compiles Debian's own libsodium source package, so `apt-get source`
needs the source lists of exactly the archives the machine installs from.

Usage: scripts/source_entries.py [--skip FILE] [SOURCES_DIR_OR_FILE...]
(default: /etc/apt/sources.list and /etc/apt/sources.list.d/*.list, *.sources)
"""
import argparse
import glob
import os
import sys


def parse_deb822(text):
    """Stanzas as lists of (field, value) in file order; continuation lines and comments
    inside a field (an embedded Signed-By key) stay with it."""
    stanzas, fields = [], []
    for line in text.splitlines():
        if not line.strip():
            if fields:
                stanzas.append(fields)
            fields = []
        elif line.startswith("#"):
            continue
        elif line[0] in " \t" and fields:
            name, value = fields[-1]
            fields[-1] = (name, value + "\n" + line)
        elif ":" in line:
            name, _, value = line.partition(":")
            fields.append((name.strip(), value.strip()))
    if fields:
        stanzas.append(fields)
    return stanzas


def _get(fields, name):
    for key, value in fields:
        if key.lower() == name.lower():
            return value
    return None


def _words(value):
    return (value or "").split()


def one_line_entries(text):
    """`deb [options] URI SUITE [COMPONENT...]` lines as (type, options, uri, suite,
    components)."""
    entries = []
    for line in text.splitlines():
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        options = ""
        kind, _, rest = line.partition(" ")
        rest = rest.strip()
        if rest.startswith("["):
            options, _, rest = rest[1:].partition("]")
        words = rest.split()
        if kind in ("deb", "deb-src") and len(words) >= 2:
            entries.append((kind, options.strip(), words[0], words[1], tuple(words[2:])))
    return entries


def _targets(uris, suites, components):
    # One source list per URI, suite and component, as apt fetches them.
    return {(u.rstrip("/"), s, c) for u in uris for s in suites for c in (components or ("",))}


def mirror(files):
    """files: (path, text) pairs. Returns the deb822 text of the missing deb-src entries."""
    have_src = set()
    wanted = []  # (URIs, suites, components, fields other than Types and Suites)
    for path, text in files:
        if path.endswith(".sources"):
            for fields in parse_deb822(text):
                if (_get(fields, "Enabled") or "yes").lower() == "no":
                    continue
                types = _words(_get(fields, "Types"))
                uris = _words(_get(fields, "URIs"))
                suites = _words(_get(fields, "Suites"))
                components = tuple(_words(_get(fields, "Components")))
                if "deb-src" in types:
                    have_src |= _targets(uris, suites, components)
                elif "deb" in types:
                    rest = [f for f in fields if f[0].lower() not in ("types", "suites")]
                    wanted.append((uris, suites, components, rest))
        else:
            for kind, options, uri, suite, components in one_line_entries(text):
                if kind == "deb-src":
                    have_src |= _targets([uri], [suite], components)
                    continue
                fields = [("URIs", uri)]
                if components:
                    fields.append(("Components", " ".join(components)))
                for option in options.split():
                    name, _, value = option.partition("=")
                    fields.append(({"signed-by": "Signed-By", "arch": "Architectures",
                                    "trusted": "Trusted"}.get(name.lower(), name),
                                   value.replace(",", " ")))
                wanted.append(([uri], [suite], components, fields))
    out = []
    for uris, suites, components, fields in wanted:
        # Only the suites that have no source entry yet: apt warns about duplicates.
        missing = [s for s in suites if not _targets(uris, [s], components) <= have_src]
        if not missing:
            continue
        have_src |= _targets(uris, missing, components)
        fields = fields[:1] + [("Suites", " ".join(missing))] + fields[1:]
        out.append("\n".join(["Types: deb-src"] + [f"{k}: {v}" for k, v in fields]))
    return "\n\n".join(out) + "\n" if out else ""


def default_files():
    return (["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")) +
            sorted(glob.glob("/etc/apt/sources.list.d/*.sources")))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--skip", action="append", default=[],
                        help="a file to leave out (the one this output is written to)")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args(argv)
    skip = {os.path.realpath(p) for p in args.skip}
    files = []
    for path in args.files or default_files():
        if os.path.realpath(path) in skip or not os.path.isfile(path):
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            files.append((path, f.read()))
    sys.stdout.write(mirror(files))
    return 0


if __name__ == "__main__":
    sys.exit(main())
