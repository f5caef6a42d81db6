#!/usr/bin/env python3
"""Fails unless every external command that the scripts, CMake files and tests run comes
from a package that scripts/packages.txt lists (or that such a package depends on) or that
Debian marks Essential.

A command that works only because this machine happens to have its package would pass
every test here and fail on a fresh one; `dpkg -S` on the file the command resolves to
tells which package really provides it. The commands are found by scanning the sources,
plus the few that other programs start (INDIRECT).

Usage: scripts/check_commands.py [--packages FILE] [--list]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The scripts run with this PATH (see scripts/test.sh), so that nothing installed outside
# Debian's packages (pyenv shims, /usr/local) stands in for a command.
CLEAN_PATH = "/usr/sbin:/usr/bin:/sbin:/bin"

# Started by other programs, never named where the scan looks.
INDIRECT = {
    "Xvfb": "xvfb-run starts it",
    "xauth": "xvfb-run writes the display's cookie with it",
    "wineserver": "wine starts it; the scripts also stop it",
    "/usr/lib/wine/wine64": "the loader that the wine command runs",
    "ninja": "CMake's generator (-G Ninja)",
    "c++": "CMake's native C++ compiler",
    "cc": "CMake's native C compiler",
    "ld": "the native linker",
    "ar": "static libraries of the native build",
    "x86_64-w64-mingw32-ld": "the cross linker",
    "x86_64-w64-mingw32-ar": "static libraries of the cross build",
    "x86_64-w64-mingw32-ranlib": "static libraries of the cross build",
    "ctest": "runs the tests",
    "python3": "the black-box tests and this check",
    "pkg-config": "CMake's FindPkgConfig finds libsodium with it",
    "dpkg-source": "apt-get source unpacks libsodium's source with it",
    "autoreconf": "libsodium's autogen.sh",
    "autoconf": "libsodium's autogen.sh, through autoreconf",
    "aclocal": "libsodium's autogen.sh, through autoreconf",
    "automake": "libsodium's autogen.sh, through autoreconf",
    "libtoolize": "libsodium's autogen.sh, through autoreconf",
}

# Words in command position that are not external commands.
SHELL_WORDS = set("""
  if then else elif fi for while until do done case esac in function select time return
  local export unset set shift exit exec eval source . : true false echo printf read cd
  pwd test [ [[ ]] ]] wait kill trap declare typeset let break continue command type
  mapfile readarray builtin umask ulimit getopts hash alias shopt jobs disown pushd popd
  sudo
""".split())
# sudo is the user's own, used only when bootstrap does not run as root.

SOURCE_FOLDERS = ("scripts", "tests", ".ci", "cmake", "engine", "cli", "framework", "ui", "app",
                  "res")


def source_files(root):
    for top in SOURCE_FOLDERS:
        base = os.path.join(root, top)
        for folder, dirs, files in os.walk(base):
            dirs[:] = [d for d in dirs if not d.startswith("build")]
            for name in files:
                yield os.path.join(folder, name)
    yield os.path.join(root, "CMakeLists.txt")


_SEPARATORS = re.compile(r"(?:\|\||&&|[|;&(]|\$\(|`|\bthen\b|\bdo\b|\belse\b|!)")
_PREFIXES = {"if", "elif", "while", "until", "exec", "time", "command", "builtin", "{"}
_WORD = re.compile(r"^[A-Za-z][\w.+-]*$")


def shell_functions(text):
    return set(re.findall(r"^\s*([\w-]+)\s*\(\)\s*\{", text, re.M))


def shell_commands(text, functions=frozenset()):
    """Words in command position: first on a line or after | ; && || ( $( and the like,
    less the functions that the scripts define (also in files they source)."""
    functions = set(functions) | shell_functions(text)
    found = set()
    for line in re.sub(r"\\\n", " ", text).splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        line = re.sub(r"'[^']*'", "''", line)
        # Arithmetic, and double-quoted text that runs nothing.
        line = re.sub(r"\$?\(\([^)]*\)\)", "0", line)
        line = re.sub(r'"(?:[^"\\$`]|\\.|\$(?!\())*"', '""', line)
        line = re.sub(r"\s#.*", "", line)
        for piece in _SEPARATORS.split(line):
            words = piece.split()
            # Assignments and redirections before the command.
            while words and (re.match(r"^\w+=", words[0]) or words[0][0] in "<>0123456789"):
                words.pop(0)
            # if CMD, exec CMD, $SUDO CMD and the like: the command is the next word.
            while len(words) > 1 and (words[0] in _PREFIXES or re.match(r"^\$\w+$", words[0])):
                words.pop(0)
            if not words:
                continue
            word = words[0]
            if _WORD.match(word) and word not in SHELL_WORDS and word not in functions:
                found.add(word)
    # Compilers handed to CMake.
    found.update(re.findall(r"-DCMAKE_\w+_COMPILER=([\w.+-]+)", text))
    return found


# Where Python, C++ and CMake sources name a command they run.
_PATTERNS = {
    "python": [r"shutil\.which\(\s*[\"']([\w.+-]+)[\"']",
               r"subprocess\.\w+\(\s*\[\s*[\"']([\w.+-]+)[\"']",
               r"\bcmd\s*=\s*\[\s*[\"']([\w.+-]+)[\"']"],
    # A word that an "=" follows is an environment assignment, not the command.
    "cpp": [r"\b(?:system|popen)\(\s*\"(?:command -v )?([A-Za-z][\w.+-]*)(?=[\s\"])",
            r"\bcmd\s*=\s*\"([A-Za-z][\w.+-]*)(?=[\s\"])"],
    "cmake": [r"execute_process\(\s*COMMAND\s+([A-Za-z][\w.+-]*)",
              r"set\(\s*CMAKE_\w+_(?:COMPILER|EMULATOR)\s+([A-Za-z][\w.+-]*)\s*\)",
              r"find_program\(\s*\w+\s+(?:NAMES\s+)?([A-Za-z][\w.+-]*)"],
}


def pattern_commands(text, language):
    return {name for pattern in _PATTERNS[language] for name in re.findall(pattern, text)}


def scan(root):
    """Maps each command the sources run to one file that runs it."""
    texts = {}
    for path in source_files(root):
        try:
            with open(path, encoding="utf-8", errors="replace") as f:
                texts[path] = f.read()
        except OSError:
            continue
    functions = set()
    for path, text in texts.items():
        if path.endswith(".sh"):
            functions |= shell_functions(text)
    commands = {}
    for path, text in texts.items():
        name = os.path.basename(path)
        if name.endswith(".py"):
            found = pattern_commands(text, "python")
        elif name.endswith((".cpp", ".h")):
            found = pattern_commands(text, "cpp")
        elif name == "CMakeLists.txt" or name.endswith(".cmake"):
            found = pattern_commands(text, "cmake")
        elif name.endswith(".sh") or text.startswith("#!/usr/bin/env bash") or \
                text.startswith("#!/bin/sh") or text.startswith("#!/bin/bash"):
            found = shell_commands(text, functions)
        else:
            continue
        for command in found:
            commands.setdefault(command, os.path.relpath(path, root))
    return commands


def read_package_list(path):
    packages = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                packages.append(line)
    return packages


def parse_status(text):
    """Installed packages of a dpkg status file: name -> fields we need."""
    installed = {}
    for stanza in text.split("\n\n"):
        fields = {}
        key = None
        for line in stanza.splitlines():
            if line.startswith((" ", "\t")) and key:
                fields[key] += " " + line.strip()
            elif ":" in line:
                key, _, value = line.partition(":")
                fields[key] = value.strip()
        if "Package" not in fields or not fields.get("Status", "").endswith(" installed"):
            continue
        installed[fields["Package"]] = {
            "essential": fields.get("Essential") == "yes",
            "depends": ", ".join(x for x in (fields.get("Pre-Depends"), fields.get("Depends")) if x),
            "provides": [p.split("(")[0].strip() for p in fields.get("Provides", "").split(",")
                         if p.strip()],
        }
    return installed


def _name(relation):
    return relation.split("(")[0].split("[")[0].strip().split(":")[0]


def closure(installed, roots):
    """The installed packages that the roots pull in through Depends and Pre-Depends. Of
    alternatives, only the first that is installed counts, as apt would choose it; a
    package installed by hand as a later alternative therefore does not count."""
    providers = {}
    for name, info in installed.items():
        for virtual in info["provides"]:
            providers.setdefault(virtual, []).append(name)
    seen = set()
    todo = [r for r in roots if r in installed]
    while todo:
        name = todo.pop()
        if name in seen:
            continue
        seen.add(name)
        for clause in filter(None, (c.strip() for c in installed[name]["depends"].split(","))):
            for alternative in (_name(a) for a in clause.split("|")):
                if alternative in installed:
                    todo.append(alternative)
                    break
                if alternative in providers:
                    todo.extend(providers[alternative])
                    break
    return seen


def _path_variants(path):
    """Debian 12 merges /bin into /usr/bin: dpkg may know a file under either name."""
    variants = [path]
    for a, b in (("/usr/bin/", "/bin/"), ("/usr/sbin/", "/sbin/"), ("/usr/lib/", "/lib/")):
        if path.startswith(a):
            variants.append(b + path[len(a):])
        elif path.startswith(b):
            variants.append(a + path[len(b):])
    return variants


def link_chain(path):
    chain = [path]
    while os.path.islink(chain[-1]) and len(chain) < 20:
        target = os.readlink(chain[-1])
        chain.append(os.path.normpath(os.path.join(os.path.dirname(chain[-1]), target)))
    real = os.path.realpath(path)
    if real not in chain:
        chain.append(real)
    return chain


def owners(paths):
    """Package names owning each path, from one dpkg-query call."""
    result = {}
    proc = subprocess.run(["dpkg-query", "-S"] + sorted(set(paths)), capture_output=True,
                          text=True)
    for line in proc.stdout.splitlines():
        if line.startswith("diversion ") or ": " not in line:
            continue
        packages, _, path = line.rpartition(": ")
        result.setdefault(path, set()).update(p.strip().split(":")[0] for p in packages.split(","))
    return result


def check(commands, allowed, find=shutil.which, owner_lookup=owners):
    """Returns one line per problem."""
    resolved = {}
    problems = []
    for command in sorted(commands):
        path = command if command.startswith("/") else find(command, path=CLEAN_PATH)
        if not path or not os.path.exists(path):
            problems.append(f"{command}: not found on {CLEAN_PATH} (used by {commands[command]}); "
                            "its package is missing from scripts/packages.txt")
            continue
        resolved[command] = link_chain(path)
    everything = [v for chain in resolved.values() for p in chain for v in _path_variants(p)]
    owned = owner_lookup(everything) if everything else {}
    for command, chain in sorted(resolved.items()):
        packages = set()
        for path in chain:
            for variant in _path_variants(path):
                packages |= owned.get(variant, set())
        final = chain[-1]
        if not any(owned.get(v) for v in _path_variants(final)):
            problems.append(f"{command}: {final} belongs to no Debian package (used by "
                            f"{commands[command]}); it was installed by hand")
            continue
        outside = sorted(packages - allowed)
        if outside:
            problems.append(f"{command}: {chain[0]} comes from the package "
                            f"{', '.join(outside)}, which scripts/packages.txt does not list "
                            f"(used by {commands[command]})")
    return problems


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--packages", default=os.path.join(ROOT, "scripts", "packages.txt"))
    parser.add_argument("--root", default=ROOT, help="the source tree to scan")
    parser.add_argument("--list", action="store_true", help="print the commands and exit")
    args = parser.parse_args(argv)

    commands = scan(args.root)
    for command, why in INDIRECT.items():
        commands.setdefault(command, why)
    if args.list:
        for command in sorted(commands):
            print(f"{command}\t{commands[command]}")
        return 0

    wanted = read_package_list(args.packages)
    with open("/var/lib/dpkg/status", encoding="utf-8", errors="replace") as f:
        installed = parse_status(f.read())
    absent = [p for p in wanted if p not in installed]
    if absent:
        print(f"check_commands: not installed: {' '.join(absent)} (run scripts/bootstrap.sh)")
        return 1
    essential = [name for name, info in installed.items() if info["essential"]]
    allowed = closure(installed, wanted + essential)

    problems = check(commands, allowed)
    for problem in problems:
        print("check_commands: " + problem)
    if problems:
        return 1
    print(f"check_commands: {len(commands)} commands, each from a listed or Essential package")
    return 0


if __name__ == "__main__":
    sys.exit(main())
