#!/usr/bin/env python3
"""Counts the test cases of one ctest run, for the totals of scripts/test.sh.

A ctest entry may hold many cases: a GoogleTest program run as one entry (each Wine start
costs seconds) writes its cases to GTEST_DIR/<entry>.xml, and a Python unittest script
prints "Ran N tests". Each such case counts once; any other entry counts as one case. An
entry that ctest failed without a failing case to show for it (a crash, a non-zero exit
after the cases, a time-out) counts as one failure of its own.

Usage: count_tests.py JUNIT_XML [GTEST_DIR]
Prints one line per failing case, "FAILED: ENTRY: CASE", then "counts PASSED FAILED SKIPPED".
"""
import os
import re
import sys
import xml.etree.ElementTree as ET


class Counts:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.skipped = 0
        self.failures = []

    def fail(self, name):
        self.failed += 1
        self.failures.append(name)


def gtest_cases(path):
    """(passed, skipped, failing names) of a GoogleTest XML report; disabled cases are not run."""
    passed, skipped, failing = 0, 0, []
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.get("status") == "notrun":
            continue
        name = f"{case.get('classname')}.{case.get('name')}"
        if case.find("failure") is not None or case.find("error") is not None:
            failing.append(name)
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, skipped, failing


_RAN = re.compile(r"^Ran (\d+) tests? in ", re.M)
_VERDICT = re.compile(r"^(OK|FAILED)(?: \((.*)\))?\s*$", re.M)
_FAILING = re.compile(r"^(?:FAIL|ERROR): (\S+) \((\S+?)\)", re.M)


def unittest_cases(output):
    """(passed, skipped, failing names) from unittest's closing lines, or None without them."""
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


def count(junit, gtest_dir=None):
    counts = Counts()
    for entry in ET.parse(junit).getroot().iter("testcase"):
        name = entry.get("name")
        status = entry.get("status")
        if status == "disabled":
            continue
        if status == "notrun":
            # A skip that the test asked for, or a test that could not start (its program
            # missing, a failed fixture), which ctest counts as failed.
            reason = entry.find("skipped")
            reason = reason.get("message", "") if reason is not None else ""
            if reason.startswith("SKIP_"):
                counts.skipped += 1
            else:
                counts.fail(f"{name} (not run: {reason or 'no reason given'})")
            continue
        entry_failed = status == "fail"
        report = os.path.join(gtest_dir, name + ".xml") if gtest_dir else None
        cases = None
        if report and os.path.exists(report):
            try:
                cases = gtest_cases(report)
            except ET.ParseError:
                cases = None
        if cases is None:
            cases = unittest_cases(entry.findtext("system-out") or "")
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
    if len(argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    counts = count(argv[1], argv[2] if len(argv) == 3 else None)
    for name in counts.failures:
        print(f"FAILED: {name}")
    print(f"counts {counts.passed} {counts.failed} {counts.skipped}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
