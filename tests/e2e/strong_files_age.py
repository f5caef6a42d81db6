#!/usr/bin/env python3
"""Strong files crossing between the window and Debian's age, both ways.

Makes from-age.txt.age with `age -p` for the end-to-end program to decrypt in the window,
runs its AgeCrossingTest case under Wine (which also encrypts to-age.txt into a strong
file), then decrypts that file with `age -d`. age reads a passphrase only from a
terminal, so it gets one through a pseudo-terminal. The password has characters that no
ANSI code page holds: only its UTF-8 form opens the files on both sides.

Usage: strong_files_age.py E2E_EXE ENTRY
The Wine environment (WINEPREFIX, DISPLAY) comes from CTest. ENTRY names the CTest entry,
so that the run's case counts land in a file of their own.
"""
import os
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import terminal_password  # noqa: E402

PASSWORD = "Straße 😀 密码"


def content_of(name):
    # Over 64 KiB, so that the files hold more than one chunk.
    return ("%s: a strong file crossing between the window and age\n" % name).encode() * 1500


def age(*args):
    """Runs age with the password typed at each of its prompts."""
    code, transcript = terminal_password.on_tty(["age", *args], PASSWORD)
    if code != 0:
        sys.exit("age %s failed (%d): %s" % (" ".join(args), code, transcript.decode(errors="replace")))


def main():
    e2e_exe, entry = sys.argv[1:3]
    if not shutil.which("age"):
        sys.exit("Debian's age is missing (scripts/packages.txt lists it)")
    drive_c = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    folder = os.path.join(drive_c, "qz-e2e-age")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    with open(os.path.join(folder, "from-age.expected"), "wb") as f:
        f.write(content_of("from-age.txt"))
    with open(os.path.join(folder, "to-age.txt"), "wb") as f:
        f.write(content_of("to-age.txt"))
    age("-p", "-o", os.path.join(folder, "from-age.txt.age"), os.path.join(folder, "from-age.expected"))

    env = dict(os.environ, QZ_E2E_AGE_PASSWORD=PASSWORD)
    output = os.environ.get("GTEST_OUTPUT", "")
    if output.startswith("xml:") and output.endswith("/"):
        env["GTEST_OUTPUT"] = output + entry + ".xml"
    run = subprocess.run(["wine", e2e_exe, "--gtest_filter=AgeCrossingTest.*"], env=env)
    if run.returncode != 0:
        sys.exit("the end-to-end crossing case failed")

    made = os.path.join(folder, "to-age.txt.age")
    opened = os.path.join(folder, "opened-by-age")
    if not os.path.exists(made):
        sys.exit("the window made no to-age.txt.age")
    age("-d", "-o", opened, made)
    with open(opened, "rb") as f:
        if f.read() != content_of("to-age.txt"):
            sys.exit("age decrypted the window's file into other bytes")
    shutil.rmtree(folder, ignore_errors=True)
    print("strong_files_age: a file crossed each way between the window and age")


if __name__ == "__main__":
    main()
