"""Tests of scripts/count_tests.py: every case inside a ctest entry counts, and a failing
case or a failing entry is named."""
import importlib.util
import os
import shutil
import tempfile
import unittest
from xml.sax.saxutils import escape

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
module_source = importlib.util.spec_from_file_location(
    "count_tests", os.path.join(ROOT, "scripts", "count_tests.py"))
ct = importlib.util.module_from_spec(module_source)
module_source.loader.exec_module(ct)

GTEST = """<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="5" failures="1" disabled="1" errors="0" name="AllTests">
  <testsuite name="Menu" tests="5" failures="1" disabled="1" skipped="1" errors="0">
    <testcase name="Draws" status="run" result="completed" classname="Menu" />
    <testcase name="Tracks" status="run" result="completed" classname="Menu">
      <failure message="x" type=""><![CDATA[menu_test.cpp:10 expected 1]]></failure>
    </testcase>
    <testcase name="Measures" status="run" result="completed" classname="Menu" />
    <testcase name="NeedsNetwork" status="run" result="skipped" classname="Menu"><skipped message="" /></testcase>
    <testcase name="DISABLED_Old" status="notrun" result="suppressed" classname="Menu" />
  </testsuite>
</testsuites>
"""

UNITTEST_FAILED = """test_a (__main__.RoundTripTest.test_a) ... ok
test_b (__main__.RoundTripTest.test_b) ... FAIL
======================================================================
FAIL: test_b (__main__.RoundTripTest.test_b)
----------------------------------------------------------------------
ERROR: test_c (__main__.RoundTripTest.test_c)
----------------------------------------------------------------------
Ran 6 tests in 0.5s

FAILED (failures=1, errors=1, skipped=1)
"""


def junit(entries):
    cases = []
    for name, status, out in entries:
        failure = '<failure message=""/>' if status == "fail" else ""
        if status.startswith("notrun:"):
            status, reason = status.split(":", 1)
            failure = f'<skipped message="{reason}"/>'
        cases.append(f'<testcase name="{name}" classname="{name}" status="{status}">{failure}'
                     f'<system-out>{escape(out)}</system-out></testcase>')
    return '<?xml version="1.0"?><testsuite>' + "".join(cases) + "</testsuite>"


class CaseTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir)

    def write(self, name, text):
        path = os.path.join(self.dir, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def test_gtest_report_counts_cases_and_names_disabled_ones_as_skipped(self):
        self.assertEqual(ct.gtest_cases(self.write("r.xml", GTEST)),
                         (2, ["Menu.NeedsNetwork", "Menu.DISABLED_Old (disabled)"], ["Menu.Tracks"]))

    def test_unittest_closing_lines(self):
        self.assertEqual(ct.unittest_cases(UNITTEST_FAILED),
                         (3, 1, ["__main__.RoundTripTest.test_b", "__main__.RoundTripTest.test_c"]))
        self.assertEqual(ct.unittest_cases("Ran 4 tests in 1.0s\n\nOK (skipped=1)\n"), (3, 1, []))
        self.assertEqual(ct.unittest_cases("Ran 1 test in 0.0s\n\nOK\n"), (1, 0, []))
        self.assertIsNone(ct.unittest_cases("kill test: 3 rounds, 9 kills\n"))

    def test_ctest_run_with_programs_scripts_and_plain_entries(self):
        gtest_dir = os.path.join(self.dir, "gtest")
        os.mkdir(gtest_dir)
        with open(os.path.join(gtest_dir, "win_menu_tests.xml"), "w") as f:
            f.write(GTEST)
        with open(os.path.join(gtest_dir, "win_ui_tests.xml"), "w") as f:
            f.write(GTEST.replace("<failure", "<ignored").replace("</failure>", "</ignored>"))
        path = self.write("j.xml", junit([
            ("win_menu_tests", "fail", "[  FAILED  ] Menu.Tracks"),
            # Every case passed, yet ctest failed the entry (the program crashed on exit).
            ("win_ui_tests", "fail", ""),
            ("win_crashed_tests", "fail", "wine: Unhandled page fault"),
            # Crashed after its start: every case of its own listing fails.
            ("win_frame_tests", "fail", "[==========] Running 3 tests from 1 test suite.\n"
                                        "[ RUN      ] Frame.A\nwine: Unhandled page fault"),
            ("win_lost_tests", "fail", "[==========] Running 2 tests from 1 test suite.\n"),
            ("qzcrypt.RoundTripTest", "fail", UNITTEST_FAILED),
            ("qzcrypt.kill", "run", "kill test: 3 rounds"),
            ("win_menu_tests_imports", "run", "-- imports KERNEL32.dll"),
            ("switched_off", "disabled", ""),
        ]))
        listed = []

        def lister(test):
            listed.append(test["name"])
            if test["name"] == "win_lost_tests":
                return None  # its listing failed too: the banner's count stands
            return ["Frame.A", "Frame.B", "Frame.DISABLED_C"]

        tests = {"win_frame_tests": {"name": "win_frame_tests", "command": ["wine", "f.exe"]},
                 "win_lost_tests": {"name": "win_lost_tests", "command": ["wine", "l.exe"]},
                 "fuzz_dirs": {"name": "fuzz_dirs", "properties": [
                     {"name": "FIXTURES_SETUP", "value": ["dirs"]}]}}
        entries = ct.ET.parse(path).getroot()
        entries.append(ct.ET.fromstring('<testcase name="fuzz_dirs" status="run"/>'))
        ct.ET.ElementTree(entries).write(path)
        counts = ct.count(path, gtest_dir, tests, lister)
        self.assertEqual(listed, ["win_frame_tests", "win_lost_tests"])
        self.assertEqual((counts.passed, counts.failed, counts.skipped),
                         (2 + 3 + 3 + 2, 5 + 2 + 2, 2 + 2 + 1 + 1 + 1))
        self.assertEqual(counts.skips, [
            "win_menu_tests: Menu.NeedsNetwork", "win_menu_tests: Menu.DISABLED_Old (disabled)",
            "win_ui_tests: Menu.NeedsNetwork", "win_ui_tests: Menu.DISABLED_Old (disabled)",
            "win_frame_tests: Frame.DISABLED_C (disabled)", "switched_off (disabled)"])
        self.assertEqual(counts.failures, [
            "win_menu_tests: Menu.Tracks",
            "win_ui_tests (failed with no failing case: exit status)",
            "win_crashed_tests",
            "win_frame_tests: Frame.A (no report)",
            "win_frame_tests: Frame.B (no report)",
            "win_lost_tests: (case 1 of 2) (no report)",
            "win_lost_tests: (case 2 of 2) (no report)",
            "qzcrypt.RoundTripTest: __main__.RoundTripTest.test_b",
            "qzcrypt.RoundTripTest: __main__.RoundTripTest.test_c",
        ])

    def test_a_test_that_could_not_start_fails_and_an_asked_for_skip_does_not(self):
        # ctest writes both as "notrun"; only the first counts as failed there.
        counts = ct.count(self.write("j.xml", junit([
            ("win_cipher_tests", "notrun:Unable to find executable", "wine: not found"),
            ("Md5.PaddingBoundariesMatchOpenssl", "notrun:SKIP_REGULAR_EXPRESSION_MATCHED", ""),
            ("fuzz_seeds", "notrun:SKIP_RETURN_CODE=77", ""),
        ])))
        self.assertEqual((counts.passed, counts.failed, counts.skipped), (0, 1, 2))
        self.assertEqual(counts.failures,
                         ["win_cipher_tests (not run: Unable to find executable)"])

    def test_a_fixture_is_no_case_unless_it_fails(self):
        fixture = [{"name": "FIXTURES_SETUP", "value": ["fuzz_dirs"]}]
        tests = {n: {"name": n, "properties": fixture} for n in ("make_dirs", "make_seeds")}
        counts = ct.count(self.write("j.xml", junit([
            ("make_dirs", "run", ""), ("make_seeds", "fail", ""), ("decrypt_fuzz", "run", "")])),
            None, tests)
        self.assertEqual((counts.passed, counts.failed, counts.skipped), (1, 1, 0))
        self.assertEqual(counts.failures, ["make_seeds (fixture failed)"])

    def test_a_listing_names_the_cases_and_scripts_are_never_asked_for_one(self):
        self.assertEqual(ct.parse_gtest_list(
            "Running main() from gtest_main.cc\nMd5.\n  Rfc1321  # GetParam() = 1\n"
            "Menu/Draws.\n  DISABLED_Old\n  Tracks\n"),
            ["Md5.Rfc1321", "Menu/Draws.DISABLED_Old", "Menu/Draws.Tracks"])
        for command in (["/usr/bin/python3.11", "names_on_disk.py", "x.exe"],
                        ["/usr/bin/cmake", "-P", "check.cmake"]):
            self.assertIsNone(ct.list_cases({"name": "x", "command": command}))

    def test_an_unreadable_report_falls_back_to_the_entry(self):
        gtest_dir = os.path.join(self.dir, "gtest")
        os.mkdir(gtest_dir)
        with open(os.path.join(gtest_dir, "win_file_tests.xml"), "w") as f:
            f.write("<testsuites><testsuite>")  # cut short
        counts = ct.count(self.write("j.xml", junit([("win_file_tests", "fail", "")])), gtest_dir)
        self.assertEqual((counts.passed, counts.failed), (0, 1))


if __name__ == "__main__":
    unittest.main(verbosity=2)
