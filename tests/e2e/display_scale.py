#!/usr/bin/env python3
"""The window at one display scale: runs the DisplayScale case under a prefix of its own
whose LogPixels is DPI (Wine reads it when a prefix's first process starts, so each scale
keeps its prefix beside the test prefix, made once).

Usage: display_scale.py E2E_EXE DPI ENTRY
The Wine environment (WINEPREFIX, DISPLAY) comes from CTest. ENTRY names the CTest entry,
so that the case counts of each scale's run land in a file of their own.
"""
import os
import subprocess
import sys


def wine(env, *args):
    return subprocess.run(["wine", *args], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    e2e_exe, dpi, entry = sys.argv[1:4]
    env = dict(os.environ, WINEPREFIX=os.environ["WINEPREFIX"] + "-dpi" + dpi, QZ_E2E_DPI=dpi)
    if not os.path.exists(os.path.join(env["WINEPREFIX"], "system.reg")):
        os.makedirs(env["WINEPREFIX"], exist_ok=True)
        subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wine(env, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", dpi, "/f")
    # As in the test prefix: no wait for a window manager that the virtual screen lacks.
    wine(env, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t", "REG_SZ", "/d", "N", "/f")
    # The settings take effect in the next server.
    subprocess.run(["wineserver", "-w"], env=env)

    output = os.environ.get("GTEST_OUTPUT", "")
    if output.startswith("xml:") and output.endswith("/"):
        env["GTEST_OUTPUT"] = output + entry + ".xml"
    run = subprocess.run(["wine", e2e_exe, "--gtest_filter=DisplayScaleTest.*"], env=env)
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
    if run.returncode != 0:
        sys.exit("the display scale case failed at %s dpi" % dpi)


if __name__ == "__main__":
    main()
