#!/usr/bin/env python3
"""Counts a typed password's copies left in the running Lockmere.exe.

Runs the end-to-end program's PasswordMemoryTest case under Wine. Whenever the case,
its window idle, writes "scan-now" (a stage's name, then the password) into its folder,
this reads every readable region of the program's Linux process through /proc/PID/mem,
counts the password there as UTF-16, UTF-8 and code page 936 (from its ninth character on:
a freed heap block's first bytes are overwritten by the heap's own links), and answers with
"scan-done": "clean: COUNTS" when there is none, "left: COUNTS" otherwise. The first
request comes while the password is still in its dialog's fields, where it must be found:
otherwise the scan could not see it anywhere.

Usage: password_memory.py E2E_EXE ENTRY
The Wine environment (WINEPREFIX, DISPLAY) comes from CTest. ENTRY names the CTest entry,
so that the run's case counts land in a file of their own.
"""
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import process_memory  # noqa: E402


def program_pid(prefix):
    """The Linux process of this prefix's Lockmere.exe, or None."""
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                if b"Lockmere.exe" not in f.read():
                    continue
            with open("/proc/%s/environ" % entry, "rb") as f:
                if b"WINEPREFIX=" + prefix.encode() in f.read().split(b"\0"):
                    return int(entry)
        except (OSError, ValueError):  # not a process, or one that ended meanwhile
            continue
    return None


def answer(folder, prefix):
    """Scans for the password the request names; returns its counts, None without a process."""
    request = os.path.join(folder, "scan-now")
    with open(request, encoding="utf-8") as f:
        stage, password = f.read().split("\n", 1)
    os.unlink(request)
    pid = program_pid(prefix)
    counts = process_memory.count_copies(pid, password[8:]) if pid else None
    if counts is None:
        verdict = "left: no Lockmere.exe process of this prefix was found"
    else:
        verdict = ("clean: " if not any(counts.values()) else "left: ") + process_memory.describe(counts)
    print("password copies in Lockmere.exe %s: %s" % (stage, verdict), flush=True)
    with open(os.path.join(folder, "scan-answer"), "w") as f:
        f.write(verdict)
    os.rename(os.path.join(folder, "scan-answer"), os.path.join(folder, "scan-done"))
    return counts


def main():
    e2e_exe, entry = sys.argv[1:3]
    prefix = os.environ["WINEPREFIX"]
    folder = os.path.join(prefix, "drive_c", "qz-e2e-memory")
    env = dict(os.environ, QZ_E2E_MEMORY_SCAN="1")
    output = os.environ.get("GTEST_OUTPUT", "")
    if output.startswith("xml:") and output.endswith("/"):
        env["GTEST_OUTPUT"] = output + entry + ".xml"
    case = subprocess.Popen(["wine", e2e_exe, "--gtest_filter=PasswordMemoryTest.*"], env=env)
    scans = []
    while case.poll() is None:
        if os.path.exists(os.path.join(folder, "scan-now")):
            scans.append(answer(folder, prefix))
        else:
            time.sleep(0.2)
    shutil.rmtree(folder, ignore_errors=True)
    if case.returncode != 0:
        sys.exit("the end-to-end case failed")
    # While typed, the password is in its field: that scan proves that the others can see it.
    found = [counts is not None and any(counts.values()) for counts in scans]
    if found != [True, False, False]:
        sys.exit("the program kept copies of the password, or a scan missed it: %s" % found)
    print("password_memory: no copy of the password after its use")


if __name__ == "__main__":
    main()
