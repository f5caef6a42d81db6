"""Tests of scripts/check_commands.py: what the scan takes for a command, which packages
count as installed by bootstrap, and what a problem report says."""
import importlib.util
import io
import os
import shutil
import sys
import tempfile
import unittest
from contextlib import redirect_stdout

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
module_source = importlib.util.spec_from_file_location(
    "check_commands", os.path.join(ROOT, "scripts", "check_commands.py"))
cc = importlib.util.module_from_spec(module_source)
module_source.loader.exec_module(cc)


class ScanTest(unittest.TestCase):
    def test_shell_command_positions(self):
        text = "\n".join([
            'out=$(dirname "$0")',
            'a | sort -u && b || c; d &',
            'if grep -q x f; then wine prog.exe; else exec cmake --build; fi',
            'LC_ALL=C FOO=1 tr a b <in >out',
            '$SUDO apt-get install -y x',
            'xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$(declare -f shot); shot"',
            'cmake -DCMAKE_CXX_COMPILER=clang++ -S . \\',
            '  bookworm "$dir" >log',
        ])
        self.assertEqual(cc.shell_commands(text),
                         {"dirname", "a", "sort", "b", "c", "d", "grep", "wine", "cmake", "tr",
                          "apt-get", "xvfb-run", "clang++"})

    def test_shell_words_that_run_nothing(self):
        text = "\n".join([
            "# wine in a comment",
            "helper() {",
            "  local x=$((X + WIDTH)) y",
            "  for ((r = 1; r <= n; r++)); do echo \"Wine prefix $P; its C: drive\"; done",
            "  printf 'a; not_a_command\\n'",
            "}",
            "helper",
            "sourced_helper --flag",
        ])
        self.assertEqual(cc.shell_commands(text, functions={"sourced_helper"}), set())

    def test_python_cpp_and_cmake_forms(self):
        py = ('r = subprocess.run(["wine", EXE])\nif not shutil.which("openssl"): pass\n'
              'cmd = ["xdotool", "key"]\nsubprocess.run([QZCRYPT, "encrypt"])\n')
        self.assertEqual(cc.pattern_commands(py, "python"), {"wine", "openssl", "xdotool"})
        cpp = ('std::system("command -v openssl >/dev/null");\n'
               'const std::string cmd = "chattr +i " + path;\n'
               'FILE* p = ::popen(cmd.c_str(), "r");\n'
               'const std::string cmd = "AGE_TTY_PASSWORD=" + quoted + " python3 x.py";\n')
        self.assertEqual(cc.pattern_commands(cpp, "cpp"), {"openssl", "chattr"})
        cmake = ('execute_process(COMMAND x86_64-w64-mingw32-objdump -p ${EXE})\n'
                 'execute_process(COMMAND ${CMAKE_COMMAND} -E true)\n'
                 'set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)\n'
                 'set(CMAKE_CROSSCOMPILING_EMULATOR wine)\n'
                 'find_program(XDO NAMES xdotool)\n')
        self.assertEqual(cc.pattern_commands(cmake, "cmake"),
                         {"x86_64-w64-mingw32-objdump", "x86_64-w64-mingw32-windres", "wine",
                          "xdotool"})

    def test_the_tree_yields_the_commands_that_matter(self):
        # A scan that lost one of these forms would let its package go unchecked.
        found = cc.scan(ROOT)
        for command in ("wine", "wineboot", "xvfb-run", "xdotool", "import", "openssl", "chattr",
                        "x86_64-w64-mingw32-objdump", "x86_64-w64-mingw32-g++-posix", "clang++",
                        "localedef", "apt-get"):
            self.assertIn(command, found)
        self.assertNotIn("qz_wine_prefix", found)


STATUS = """\
Package: top
Status: install ok installed
Depends: liba (>= 1.0), libb:any | libc, virt
Pre-Depends: early

Package: liba
Status: install ok installed
Depends: deep

Package: deep
Status: install ok installed

Package: libb
Status: install ok installed

Package: libc
Status: install ok installed
Description: a later alternative, installed by hand
 continued description line

Package: provider
Status: install ok installed
Provides: virt (= 2)

Package: early
Status: install ok installed

Package: removed
Status: deinstall ok config-files

Package: coreutils
Status: install ok installed
Essential: yes
"""


class PackageTest(unittest.TestCase):
    def setUp(self):
        self.installed = cc.parse_status(STATUS)

    def test_status_keeps_installed_packages_only(self):
        self.assertNotIn("removed", self.installed)
        self.assertTrue(self.installed["coreutils"]["essential"])
        self.assertFalse(self.installed["top"]["essential"])

    def test_closure_follows_depends_the_first_alternative_and_providers(self):
        self.assertEqual(cc.closure(self.installed, ["top"]),
                         {"top", "liba", "deep", "libb", "provider", "early"})

    def test_closure_ignores_roots_that_are_not_installed(self):
        self.assertEqual(cc.closure(self.installed, ["absent", "coreutils"]), {"coreutils"})

    def test_package_list_skips_comments_and_blanks(self):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write("# heading\nwine\n\n  xvfb   # the virtual screen\n")
        self.addCleanup(os.unlink, f.name)
        self.assertEqual(cc.read_package_list(f.name), ["wine", "xvfb"])


class CheckTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir)
        self.real = os.path.join(self.dir, "tool-posix")
        open(self.real, "w").close()
        self.alias = os.path.join(self.dir, "tool")
        os.symlink(self.real, self.alias)

    def run_check(self, owned, allowed, commands=None):
        commands = commands or {"tool": "scripts/x.sh"}
        return cc.check(commands, allowed, find=lambda c, path: self.alias if c == "tool" else None,
                        owner_lookup=lambda paths: owned)

    def test_a_link_to_a_file_of_a_listed_package_passes(self):
        # Like an alternatives link: only the file at the end belongs to a package.
        self.assertEqual(self.run_check({self.real: {"tools"}}, {"tools"}), [])

    def test_a_package_outside_the_list_is_named(self):
        problems = self.run_check({self.real: {"tools"}}, {"other"})
        self.assertEqual(len(problems), 1)
        self.assertIn("tool:", problems[0])
        self.assertIn("the package tools, which scripts/packages.txt does not list", problems[0])
        self.assertIn("scripts/x.sh", problems[0])

    def test_a_link_owned_by_another_package_is_named_too(self):
        problems = self.run_check({self.alias: {"stray"}, self.real: {"tools"}}, {"tools"})
        self.assertEqual(len(problems), 1)
        self.assertIn("stray", problems[0])

    def test_a_file_of_no_package_and_a_missing_command_fail(self):
        problems = self.run_check({}, {"tools"}, {"tool": "a.sh", "gone": "b.py"})
        self.assertEqual(len(problems), 2)
        self.assertIn("gone: not found", problems[0])
        self.assertIn("belongs to no Debian package", problems[1])


@unittest.skipUnless(shutil.which("dpkg-query") and os.path.exists("/usr/lib/wine/wine64"),
                     "needs Debian's dpkg and the bootstrapped packages")
class ThisMachineTest(unittest.TestCase):
    def run_main(self, packages):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write("\n".join(packages) + "\n")
        self.addCleanup(os.unlink, f.name)
        out = io.StringIO()
        with redirect_stdout(out):
            rc = cc.main(["--packages", f.name])
        return rc, out.getvalue()

    def test_without_wine_in_the_list_the_check_names_wine(self):
        packages = [p for p in cc.read_package_list(os.path.join(ROOT, "scripts", "packages.txt"))
                    if p != "wine"]
        rc, out = self.run_main(packages)
        self.assertEqual(rc, 1, out)
        self.assertRegex(out, r"check_commands: wine: /usr/bin/wine comes from the package wine,")
        self.assertIn("wineboot:", out)


if __name__ == "__main__":
    unittest.main(verbosity=2)
