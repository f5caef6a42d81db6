"""qzcrypt.exe under Wine: the Windows halves of qzcrypt (wide arguments and console,
UTF-8 paths inside, code page 936 headers, CryptoAPI back end) on a scratch folder,
compared with the independent reference and with the Linux qzcrypt. The environment
(WINEPREFIX, LC_ALL) comes from CTest.

usage: win_smoke.py QZCRYPT.EXE WORKDIR [LINUX_QZCRYPT]
"""

import os
import pty
import re
import select
import shutil
import subprocess
import sys
import tempfile
import termios
import time
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qzref  # noqa: E402

EXE = None
WORKDIR = None
LINUX_QZCRYPT = None
PASSWORD = b"s3cret"
# Names that no single ANSI code page holds, and one that a best-fit conversion would
# turn into its neighbour's.
NAMES = ["报告.txt", "한국어.txt", "emoji😀.txt", "straße.txt", "strase.txt"]
LOCALES = ["zh_CN.UTF-8", "en_US.UTF-8", "ja_JP.UTF-8"]  # code pages 936, 1252, 932


def env_for(locale):
    env = dict(os.environ)
    env["LC_ALL"] = locale
    return env


class WindowsQzcryptTest(unittest.TestCase):
    def setUp(self):
        os.makedirs(WORKDIR, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix="qzwin-", dir=WORKDIR)
        self.addCleanup(shutil.rmtree, self.dir, True)
        with open(os.path.join(self.dir, "pw"), "wb") as f:
            f.write(PASSWORD + b"\r\n")
        os.mkdir(os.path.join(self.dir, "d"))

    def put(self, name, data):
        with open(os.path.join(self.dir, "d", name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(os.path.join(self.dir, "d", name), "rb") as f:
            return f.read()

    def run_exe(self, *args, stdin=None, locale=None, exe=None):
        # Relative paths: the folder is the current one, so no Unix path reaches Wine.
        command = [exe] if exe else ["wine", EXE]
        r = subprocess.run(command + list(args), cwd=self.dir, input=stdin,
                           capture_output=True, timeout=300,
                           env=env_for(locale) if locale else None)
        return r.returncode, r.stdout.replace(b"\r\n", b"\n"), r.stderr.replace(b"\r\n", b"\n")

    def test_folder_round_trip_with_a_chinese_name(self):
        a = os.urandom(3000)
        self.put("a.txt", a)
        self.put("报告.txt", b"report")
        self.put("b.txt.qz", qzref.expected_qz(b"b.txt", b"other", b"another"))
        self.put("~qz000000.tmp", b"unfinished")
        os.mkdir(os.path.join(self.dir, "d", "sub"))
        self.put(os.path.join("sub", "inner.txt"), b"inner")

        code, out, err = self.run_exe("encrypt", "--password-file", "pw", "d")
        self.assertEqual(code, 0, err)
        # Redirected output is UTF-8, whatever the ANSI code page.
        self.assertEqual(out.decode("utf-8"), "skipped d\\~qz000000.tmp: an unfinished output of "
                                            "an interrupted run, or of one still going; left "
                                            "as it is\n"
                                            "encrypted d\\a.txt -> d\\a.txt.qz\n"
                                            "encrypted d\\报告.txt -> d\\报告.txt.qz\n")
        self.assertEqual(self.read("a.txt.qz"), qzref.expected_qz(b"a.txt", a, PASSWORD))
        self.assertEqual(self.read("报告.txt.qz"),
                         qzref.expected_qz("报告.txt".encode("gbk"), b"report", PASSWORD))
        self.assertEqual(sorted(os.listdir(os.path.join(self.dir, "d"))),
                         ["a.txt.qz", "b.txt.qz", "sub", "~qz000000.tmp", "报告.txt.qz"])
        self.assertEqual(self.read(os.path.join("sub", "inner.txt")), b"inner")

        code, out, err = self.run_exe("check", "--password-stdin", "d", stdin=PASSWORD + b"\n")
        self.assertEqual(code, 1, err)
        self.assertIn(b"b.txt.qz: wrong password", err)
        self.assertEqual(out.count(b"the password opens it"), 2)

        code, out, err = self.run_exe("decrypt", "--quiet", "--password-file", "pw", "d")
        self.assertEqual((code, out), (1, b""))
        self.assertEqual(self.read("a.txt"), a)
        self.assertEqual(self.read("报告.txt"), b"report")
        self.assertEqual(sorted(os.listdir(os.path.join(self.dir, "d"))),
                         ["a.txt", "b.txt.qz", "sub", "~qz000000.tmp", "报告.txt"])

    def test_trail_byte_0x5c_is_not_a_separator(self):
        # In code page 936 the second byte of "乗" is 0x5C, the byte of a backslash.
        name = "乗表.txt"
        self.assertEqual(name.encode("gbk")[1], 0x5C)
        self.put(name, b"trail")
        code, _, err = self.run_exe("encrypt", "--password-file", "pw", "d")
        self.assertEqual(code, 0, err)
        self.assertEqual(self.read(name + ".qz"),
                         qzref.expected_qz(name.encode("gbk"), b"trail", PASSWORD))

    def test_prompt_on_the_console_without_echo(self):
        # Code page 1252 holds neither the typed password nor the name: both go through
        # the console's wide functions.
        name = "한국어.txt"
        self.put(name, b"prompted")
        pid, fd = pty.fork()
        if pid == 0:
            os.chdir(self.dir)
            os.execvpe("wine", ["wine", EXE, "encrypt", os.path.join("d", name)],
                       env_for("en_US.UTF-8"))
        transcript = b""

        def wait_for(text, timeout=120):
            nonlocal transcript
            deadline = time.time() + timeout
            while text not in re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", transcript):
                ready, _, _ = select.select([fd], [], [], max(0, deadline - time.time()))
                try:
                    chunk = os.read(fd, 4096) if ready else b""
                except OSError:  # EIO once the program has gone
                    chunk = b""
                if not chunk:
                    self.fail("did not see %r in %r" % (text, transcript))
                transcript += chunk

        def type_at(prompt, keys):
            wait_for(prompt)
            # Wine's console puts the tty into raw mode only once the read is pending;
            # keys typed before that are echoed by the tty and Enter is lost.
            while termios.tcgetattr(fd)[3] & (termios.ECHO | termios.ICANON):
                time.sleep(0.01)
            os.write(fd, keys + b"\r")

        typed, wrong = "密码".encode(), "xyz".encode()
        type_at(b"Password:", typed)
        type_at(b"Repeat the password:", wrong)
        wait_for(b"Try again.")
        type_at(b"Password:", typed)  # the first prompt's text is followed by the second one
        type_at(b"Repeat the password:", typed)
        wait_for((name + ".qz").encode())
        # The terminal stays open until the program has ended, so that no hang-up ends it.
        _, status = os.waitpid(pid, 0)
        os.close(fd)
        self.assertEqual(os.waitstatus_to_exitcode(status), 0)
        plain = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", transcript)
        self.assertNotIn(typed, plain)
        self.assertNotIn(wrong, plain)
        self.assertEqual(self.read(name + ".qz"),
                         qzref.expected_qz(b"???.txt", b"prompted", "密码".encode("gbk")))

    def test_password_files_mean_the_same_as_on_linux(self):
        # UTF-8 (with or without BOM) and code page 936 bytes give one password.
        cp936 = "密码".encode("gbk")
        for i, raw in enumerate(("密码\r\n".encode("utf-8"), "\ufeff密码\n".encode("utf-8"),
                                 cp936 + b"\n")):
            with self.subTest(raw=raw):
                name = "p%d.txt" % i
                self.put(name, b"same password")
                with open(os.path.join(self.dir, "pw8"), "wb") as f:
                    f.write(raw)
                code, _, err = self.run_exe("encrypt", "--password-file", "pw8", "d\\" + name)
                self.assertEqual(code, 0, err)
                self.assertEqual(self.read(name + ".qz"),
                                 qzref.expected_qz(name.encode(), b"same password", cp936))
        code, _, err = self.run_exe("decrypt", "--password-stdin", "d", stdin=b"\n")
        self.assertEqual(code, 2)
        self.assertIn(b"empty password", err)

    def test_names_as_on_disk_under_every_code_page_and_across_to_linux(self):
        # The folder's last character ends in a byte that code page 936 takes for a lead
        # byte, so a path read as code page 936 would lose its separator.
        folder = "报告"
        os.mkdir(os.path.join(self.dir, folder))
        with open(os.path.join(self.dir, "密码.pw"), "wb") as f:
            f.write("密码\n".encode())
        password = "密码".encode("gbk")
        contents = {name: name.encode() * 50 for name in NAMES}
        paths = [folder + "\\" + name for name in NAMES]

        def listing():
            return sorted(os.listdir(os.path.join(self.dir, folder)))

        def expect_plain():
            self.assertEqual(listing(), sorted(NAMES))
            for name in NAMES:
                with open(os.path.join(self.dir, folder, name), "rb") as f:
                    self.assertEqual(f.read(), contents[name], name)

        for locale in LOCALES:
            with self.subTest(locale=locale):
                for name in NAMES:
                    with open(os.path.join(self.dir, folder, name), "wb") as f:
                        f.write(contents[name])
                code, out, err = self.run_exe("encrypt", "--password-file", "密码.pw", *paths,
                                              locale=locale)
                self.assertEqual(code, 0, err)
                self.assertEqual(out.decode("utf-8").splitlines(),
                                 ["encrypted %s -> %s.qz" % (p, p) for p in paths])
                self.assertEqual(listing(), sorted(n + ".qz" for n in NAMES))
                for name in NAMES:
                    with open(os.path.join(self.dir, folder, name + ".qz"), "rb") as f:
                        self.assertEqual(f.read(), qzref.expected_qz(
                            name.encode("gbk", "replace"), contents[name], password), name)
                if LINUX_QZCRYPT is None:
                    for name in NAMES:
                        os.remove(os.path.join(self.dir, folder, name + ".qz"))
                    continue
                code, _, err = self.run_exe("decrypt", "--password-file", "密码.pw", folder,
                                            locale="C.UTF-8", exe=LINUX_QZCRYPT)
                self.assertEqual(code, 0, err)
                expect_plain()
                code, _, err = self.run_exe("encrypt", "--password-file", "密码.pw", folder,
                                            locale="C.UTF-8", exe=LINUX_QZCRYPT)
                self.assertEqual(code, 0, err)
                code, _, err = self.run_exe("decrypt", "--password-file", "密码.pw", folder,
                                            locale=locale)
                self.assertEqual(code, 0, err)
                expect_plain()
        if LINUX_QZCRYPT is None:
            self.skipTest("no Linux qzcrypt given: files were not crossed to Linux and back")

    def test_strong_round_trip_across_to_linux(self):
        # The password as UTF-8 bytes on both sides, though code page 936 lacks the emoji.
        with open(os.path.join(self.dir, "strong.pw"), "wb") as f:
            f.write("密码😀\r\n".encode())
        name = "报告.txt"
        content = os.urandom(70_000)  # two chunks
        self.put(name, content)
        code, out, err = self.run_exe("encrypt", "--strong", "--work-factor", "10",
                                      "--password-file", "strong.pw", "d\\" + name)
        self.assertEqual(code, 0, err)
        self.assertEqual(out.decode("utf-8"), "encrypted d\\%s -> d\\%s.age\n" % (name, name))
        self.assertTrue(self.read(name + ".age").startswith(b"age-encryption.org/v1\n"))
        if LINUX_QZCRYPT is None:
            self.skipTest("no Linux qzcrypt given: the file was not crossed to Linux and back")
        code, _, err = self.run_exe("decrypt", "--password-file", "strong.pw", "d",
                                    locale="C.UTF-8", exe=LINUX_QZCRYPT)
        self.assertEqual(code, 0, err)
        self.assertEqual(self.read(name), content)
        code, _, err = self.run_exe("encrypt", "--strong", "--work-factor", "10",
                                    "--password-file", "strong.pw", "d", locale="C.UTF-8",
                                    exe=LINUX_QZCRYPT)
        self.assertEqual(code, 0, err)
        code, _, err = self.run_exe("decrypt", "--password-file", "strong.pw", "d")
        self.assertEqual(code, 0, err)
        self.assertEqual(sorted(os.listdir(os.path.join(self.dir, "d"))), [name])
        self.assertEqual(self.read(name), content)

    def test_links_are_refused_and_skipped_leaving_them_and_their_target(self):
        # Wine lists a Unix link as the plain file it leads to.
        target = os.path.join(self.dir, "real.txt")
        with open(target, "wb") as f:
            f.write(b"the real file")
        link = os.path.join(self.dir, "d", "link.txt")
        os.symlink("../real.txt", link)
        self.put("a.txt", b"plain")

        code, _, err = self.run_exe("encrypt", "--password-file", "pw", "d\\link.txt")
        self.assertEqual(code, 1)
        self.assertIn(b"link.txt: a symbolic link; not followed", err)
        code, out, err = self.run_exe("encrypt", "--password-file", "pw", "d")
        self.assertEqual(code, 0, err)
        self.assertIn(b"skipped d\\link.txt: a symbolic link; not followed\n", out)
        self.assertEqual(sorted(os.listdir(os.path.join(self.dir, "d"))), ["a.txt.qz", "link.txt"])
        self.assertEqual(os.readlink(link), "../real.txt")
        self.assertEqual(self.read("link.txt"), b"the real file")

    def test_usage_and_missing_paths(self):
        self.assertEqual(self.run_exe("encrypt", "--nonsense", "d")[0], 2)
        code, out, _ = self.run_exe("--version")
        self.assertEqual((code, out[:8]), (0, b"qzcrypt "))
        code, _, err = self.run_exe("decrypt", "--password-file", "pw", "missing.qz")
        self.assertEqual(code, 1)
        self.assertIn(b"no such file", err)


if __name__ == "__main__":
    EXE = sys.argv.pop(1)
    WORKDIR = sys.argv.pop(1)
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        LINUX_QZCRYPT = os.path.abspath(sys.argv.pop(1))
        if not os.path.exists(LINUX_QZCRYPT):
            LINUX_QZCRYPT = None
    unittest.main(verbosity=2)
