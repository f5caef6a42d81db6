#!/usr/bin/env python3
"""How often a wrong password gets past the stored-name check of a .qz file whose name is
too short to confirm it, and what that costs: runs qzcrypt decrypt with wrong passwords on
.qz files named "a", "한" (stored as "?"), "x\\" and "\\" (whose matches may rest on the
empty text after the backslash), and counts per kind the .qz files deleted (a wrong
password must never cost one) and the wrong passwords accepted with the .qz kept.

  tests/bench/bench_wrong_passwords.py QZCRYPT [--tries 100000] [--workdir DIR]

Each try is one .qz file, encrypted with a random password of its own, decrypted with
the round's one wrong password; the files of a round go through one qzcrypt run.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))
import qzref  # noqa: E402

# File name on disk -> the name its header holds (code page 936).
KINDS = {"a": b"a", "한": b"?", "x\\": b"x\\", "\\": b"\\"}
BODY = b"sixteen bytes.."


def make_round(root, folders, serial):
    paths = []
    for f in range(folders):
        folder = os.path.join(root, "%d-%d" % (serial, f))
        os.mkdir(folder)
        for name, stored in KINDS.items():
            key = qzref.qz_key(os.urandom(12))
            stream = qzref._rc4(key, qzref.HEADER_BYTES)
            blob = qzref.xor(qzref.header_plain(stored), stream) + qzref.xor(BODY, stream)
            with open(os.path.join(folder, name + ".qz"), "wb") as out:
                out.write(blob)
        paths.append(folder)
    return paths


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("qzcrypt")
    parser.add_argument("--tries", type=int, default=100000, help="wrong passwords per kind")
    parser.add_argument("--folders", type=int, default=2500, help="tries per qzcrypt run")
    parser.add_argument("--workdir")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="qzwrong-", dir=args.workdir)
    deleted = dict.fromkeys(KINDS, 0)
    accepted = dict.fromkeys(KINDS, 0)
    done = 0
    try:
        serial = 0
        while done < args.tries:
            folders = min(args.folders, args.tries - done)
            paths = make_round(work, folders, serial)
            pwfile = os.path.join(work, "wrong-%d" % serial)
            with open(pwfile, "wb") as f:
                f.write(b"wrong-%d\n" % serial)
            subprocess.run([args.qzcrypt, "decrypt", "--quiet", "--password-file", pwfile] + paths,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           env=dict(os.environ, LC_ALL="C.UTF-8"))
            for folder in paths:
                for name in KINDS:
                    qz = os.path.exists(os.path.join(folder, name + ".qz"))
                    plain = os.path.exists(os.path.join(folder, name))
                    deleted[name] += not qz
                    accepted[name] += qz and plain
                shutil.rmtree(folder)
            done += folders
            serial += 1
    finally:
        shutil.rmtree(work, True)
    print("%-6s %-7s %9s %12s %12s" % ("name", "stored", "tries", ".qz deleted", "accepted, kept"))
    for name, stored in KINDS.items():
        print("%-6s %-7s %9d %12d %12d" % (name, stored.decode(), done, deleted[name],
                                           accepted[name]))
    return 0 if not any(deleted.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
