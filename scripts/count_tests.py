#!/usr/bin/env python3
"""Counts the test cases of one ctest run, for the totals of scripts/test.sh.

A ctest entry may hold many cases: a GoogleTest program run as one entry (each Wine start
costs seconds) writes its cases to GTEST_DIR/<entry>.xml, and a Python unittest script
prints "Ran N tests". Each such case counts once; any other entry counts as one case.

- A disabled case (a DISABLED_ GoogleTest case, a disabled ctest entry) counts as skipped
  and is named.
- A GoogleTest program that ends without its report (a crash, a time-out) counts each of
  its cases as failed: the cases of its own --gtest_list_tests, run with the entry's
  command and environment from TESTS_JSON (`ctest --show-only=json-v1`).
- A fixture (an entry that sets up or cleans up for others) is no case: it is counted only
  when it fails, as a failure.
- An entry that ctest failed without a failing case to show for it (a non-zero exit after
  the cases) counts as one failure of its own.

Usage: count_tests.py JUNIT_XML [GTEST_DIR [TESTS_JSON]]
Prints "FAILED: ENTRY: CASE" per failing case and "SKIPPED: ENTRY: CASE" per disabled or
skipped case it can name, then "counts PASSED FAILED SKIPPED".
"""
import json
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET


class Counts:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.skipped = 0
        self.failures = []
        self.skips = []

    def fail(self, name):
        self.failed += 1
        self.failures.append(name)

    def skip(self, name=None):
        self.skipped += 1
        if name:
            self.skips.append(name)


def gtest_cases(path):
    """(passed, skipped names, failing names) of a GoogleTest XML report."""
    passed, skipped, failing = 0, [], []
    for case in ET.parse(path).getroot().iter("testcase"):
        name = f"{case.get('classname')}.{case.get('name')}"
        if case.find("failure") is not None or case.find("error") is not None:
            failing.append(name)
        elif case.get("status") == "notrun":
            skipped.append(f"{name} (disabled)")
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped.append(name)
        else:
            passed += 1
    return passed, skipped, failing


_RAN = re.compile(r"^Ran (\d+) tests? in ", re.M)
_VERDICT = re.compile(r"^(OK|FAILED)(?: \((.*)\))?\s*$", re.M)
_FAILING = re.compile(r"^(?:FAIL|ERROR): (\S+) \((\S+?)\)", re.M)
# Printed by every GoogleTest program before its first case.
_GTEST_BANNER = re.compile(r"^\[==========\] Running (\d+) tests? from ", re.M)


def unittest_cases(output):
    """(passed, skipped count, failing names) from unittest's closing lines, or None."""
    ran = _RAN.findall(output)
    verdict = _VERDICT.findall(output)
    if len(ran) != 1 or not verdict:
        return None
    total = int(ran[0])
    details = dict(re.findall(r"(\w+)=(\d+)", verdict[-1][1]))
    bad = int(details.get("failures", 0)) + int(details.get("errors", 0))
    skipped = int(details.get("skipped", 0))
    # Python 3.11 writes "test_x (module.Class.test_x)", older ones "test_x (module.Class)".
    failing = [cls if cls.endswith("." + test) else f"{cls}.{test}"
               for test, cls in _FAILING.findall(output)]
    failing += ["(unnamed case)"] * (bad - len(failing))
    passed = total - bad - skipped - int(details.get("expected failures", 0))
    return passed, skipped, failing[:bad] if bad else []


def parse_gtest_list(text):
    """The full names in a --gtest_list_tests listing ("Suite." lines, indented cases)."""
    names, suite = [], None
    for line in text.splitlines():
        line = line.split("#", 1)[0].rstrip()
        if not line:
            continue
        if not line[0].isspace() and line.endswith("."):
            suite = line
        elif line[0].isspace() and suite:
            names.append(suite + line.strip())
    return names


def list_cases(test):
    """The cases a GoogleTest entry holds, from its own listing; None when it gives none."""
    if not test or not test.get("command"):
        return None
    # Only a program itself is asked: a script given the option would run its cases.
    if any(re.search(r"(^|/)(python[0-9.]*|cmake|sh|bash)$|\.(py|cmake|sh)$", arg)
           for arg in test["command"]):
        return None
    props = {p["name"]: p["value"] for p in test.get("properties", [])}
    env = dict(os.environ)
    env.pop("GTEST_OUTPUT", None)  # a listing would overwrite the reports with lists
    for item in props.get("ENVIRONMENT", []):
        key, _, value = item.partition("=")
        env[key] = value
    try:
        out = subprocess.run(test["command"] + ["--gtest_list_tests"], env=env,
                             cwd=props.get("WORKING_DIRECTORY"), stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=300, check=False)
    except (OSError, subprocess.SubprocessError):
        return None
    names = parse_gtest_list(out.stdout.decode("utf-8", "replace"))
    return names if out.returncode == 0 and names else None


def load_tests(path):
    if not path or not os.path.exists(path):
        return {}
    with open(path, encoding="utf-8") as f:
        return {t["name"]: t for t in json.load(f).get("tests", [])}


def is_fixture(test):
    return any(p["name"] in ("FIXTURES_SETUP", "FIXTURES_CLEANUP")
               for p in (test or {}).get("properties", []))


def count(junit, gtest_dir=None, tests=None, lister=list_cases):
    counts = Counts()
    tests = tests or {}
    for entry in ET.parse(junit).getroot().iter("testcase"):
        name = entry.get("name")
        status = entry.get("status")
        if is_fixture(tests.get(name)):
            if status not in ("run", "disabled"):
                counts.fail(f"{name} (fixture failed)")
            continue
        if status == "disabled":
            counts.skip(f"{name} (disabled)")
            continue
        if status == "notrun":
            # A skip that the test asked for, or a test that could not start (its program
            # missing, a failed fixture), which ctest counts as failed.
            reason = entry.find("skipped")
            reason = reason.get("message", "") if reason is not None else ""
            if reason.startswith("SKIP_"):
                counts.skip(f"{name} ({reason})")
            else:
                counts.fail(f"{name} (not run: {reason or 'no reason given'})")
            continue
        entry_failed = status == "fail"
        output = entry.findtext("system-out") or ""
        report = os.path.join(gtest_dir, name + ".xml") if gtest_dir else None
        if report and os.path.exists(report):
            try:
                passed, skipped, failing = gtest_cases(report)
            except ET.ParseError:
                passed, skipped, failing = None, None, None
            if passed is not None:
                counts.passed += passed
                for case in skipped:
                    counts.skip(f"{name}: {case}")
                for case in failing:
                    counts.fail(f"{name}: {case}")
                if entry_failed and not failing:
                    counts.fail(f"{name} (failed with no failing case: exit status)")
                continue
        banner = _GTEST_BANNER.search(output)
        if banner and entry_failed:
            # A GoogleTest program without its report: none of its cases is proven.
            cases = lister(tests.get(name))
            if cases is None:
                cases = [f"(case {i + 1} of {banner.group(1)})" for i in range(int(banner.group(1)))]
            for case in cases:
                if ".DISABLED_" in case or case.startswith("DISABLED_"):
                    counts.skip(f"{name}: {case} (disabled)")
                else:
                    counts.fail(f"{name}: {case} (no report)")
            if not cases:
                counts.fail(f"{name} (no report)")
            continue
        cases = unittest_cases(output)
        if cases is None:
            if entry_failed:
                counts.fail(name)
            else:
                counts.passed += 1
            continue
        passed, skipped, failing = cases
        counts.passed += passed
        counts.skipped += skipped
        for case in failing:
            counts.fail(f"{name}: {case}")
        if entry_failed and not failing:
            counts.fail(f"{name} (failed with no failing case: crash, exit status or time-out)")
    return counts


def main(argv):
    if len(argv) not in (2, 3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    gtest_dir = argv[2] if len(argv) >= 3 else None
    tests = load_tests(argv[3]) if len(argv) == 4 else {}
    counts = count(argv[1], gtest_dir, tests)
    for name in counts.failures:
        print(f"FAILED: {name}")
    for name in counts.skips:
        print(f"SKIPPED: {name}")
    print(f"counts {counts.passed} {counts.failed} {counts.skipped}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
