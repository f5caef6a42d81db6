#!/usr/bin/env python3
"""Names as on disk under one locale, crossing to the Linux qzcrypt and back.

Makes .qz files with the Linux qzcrypt for the end-to-end program to decrypt in the
window, runs its NamesOnDisk case under Wine with the given locale (which sets the
ANSI code page), then decrypts with the Linux qzcrypt the .qz files the window made.

Usage: names_on_disk.py E2E_EXE LINUX_QZCRYPT LOCALE ENTRY
The Wine environment (WINEPREFIX, DISPLAY) comes from CTest. ENTRY names the CTest entry,
so that the case counts of each locale's run land in a file of their own.
"""
import os
import shutil
import subprocess
import sys

NAMES = ["big60.bin", "emoji😀.txt", "strase.txt", "straße.txt", "报告.txt", "한국어.txt"]
PASSWORD = "密码"


def content_of(name):
    # The same as the end-to-end program's ContentOf.
    return (name + "\n").encode() * 200


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def qzcrypt(exe, *args, cwd):
    result = subprocess.run([exe, *args], cwd=cwd, capture_output=True,
                            env=dict(os.environ, LC_ALL="C.UTF-8"))
    if result.returncode != 0:
        sys.exit("Linux qzcrypt %s failed: %s" % (" ".join(args), result.stderr.decode(errors="replace")))


def main():
    e2e_exe, linux_qzcrypt, locale, entry = sys.argv[1:5]
    drive_c = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    linux_made = fresh(os.path.join(drive_c, "qz-e2e-linux-made"))
    window_made = fresh(os.path.join(drive_c, "qz-e2e-window-made"))
    work = fresh(os.path.join(drive_c, "qz-e2e-linux-work"))
    with open(os.path.join(work, "password"), "w", encoding="utf-8") as f:
        f.write(PASSWORD + "\n")

    if not os.access(linux_qzcrypt, os.X_OK):
        sys.exit("no Linux qzcrypt at %s (scripts/test.sh builds it in the native tree)" % linux_qzcrypt)
    for name in NAMES:
        with open(os.path.join(linux_made, name), "wb") as f:
            f.write(content_of(name))
    qzcrypt(linux_qzcrypt, "encrypt", "--password-file", os.path.join(work, "password"), linux_made, cwd=work)

    env = dict(os.environ, LC_ALL=locale, QZ_E2E_LINUX_MADE="C:\\qz-e2e-linux-made",
               QZ_E2E_WINDOW_MADE="C:\\qz-e2e-window-made")
    output = os.environ.get("GTEST_OUTPUT", "")
    if output.startswith("xml:") and output.endswith("/"):
        env["GTEST_OUTPUT"] = output + entry + ".xml"
    run = subprocess.run(["wine", e2e_exe, "--gtest_filter=NamesOnDiskTest.*"], env=env)
    if run.returncode != 0:
        sys.exit("the end-to-end case failed under %s" % locale)

    made = sorted(os.listdir(window_made))
    if made != sorted(name + ".qz" for name in NAMES):
        sys.exit("the window made %s" % made)
    qzcrypt(linux_qzcrypt, "decrypt", "--password-file", os.path.join(work, "password"), window_made, cwd=work)
    for name in NAMES:
        with open(os.path.join(window_made, name), "rb") as f:
            if f.read() != content_of(name):
                sys.exit("%s: the Linux qzcrypt decrypted other bytes" % name)
    for folder in (linux_made, window_made, work):
        shutil.rmtree(folder, ignore_errors=True)
    print("names_on_disk: %s: %d files crossed each way" % (locale, len(NAMES)))


if __name__ == "__main__":
    main()
