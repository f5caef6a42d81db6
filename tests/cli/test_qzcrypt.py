"""Black-box tests of qzcrypt: the built binary is run on scratch folders and its
files are compared with an independent reference (qzref)."""

import os
import pty
import resource
import select
import shutil
import signal
import subprocess
import termios
import sys
import tempfile
import time
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qzref  # noqa: E402

QZCRYPT = None
PASSWORD = b"s3cret"


def limit_output_size():
    """In the child before qzcrypt starts: files it writes stop at 1 GiB, far below the file
    in hand. A qzcrypt that went on with that file after a signal would end by SIGXFSZ (or
    a write error), not by the signal, whatever the machine's speed."""
    limit = 1 << 30
    resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))


def env_for(locale="C.UTF-8"):
    env = dict(os.environ)
    for name in ("LANG", "LANGUAGE", "LC_CTYPE"):
        env.pop(name, None)
    env["LC_ALL"] = locale
    return env


class Base(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="qzcli-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        self.pwfile = os.path.join(self.dir, "password")
        self.write_password(PASSWORD + b"\n")
        self.data = os.path.join(self.dir, "data")
        os.mkdir(self.data)

    def write_password(self, raw):
        with open(self.pwfile, "wb") as f:
            f.write(raw)

    def run_qz(self, *args, stdin=None, locale="C.UTF-8", password_file=True):
        cmd = [QZCRYPT] + [a for a in args]
        if password_file:
            cmd[2:2] = ["--password-file", self.pwfile]
        return subprocess.run(cmd, input=stdin, capture_output=True, env=env_for(locale),
                              timeout=60, start_new_session=True)

    def put(self, name, content):
        path = os.path.join(self.data, name) if isinstance(name, str) else \
            os.path.join(os.fsencode(self.data), name)
        with open(path, "wb") as f:
            f.write(content)
        return path

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def listing(self, folder=None):
        return sorted(os.listdir(folder or self.data))

    def assert_no_temporaries(self, folder=None):
        leftovers = [n for n in os.listdir(folder or self.data) if n.startswith("~qz")]
        self.assertEqual(leftovers, [])


class RoundTripTest(Base):
    def test_single_files_of_many_sizes(self):
        sizes = [0, 1, 255, 256, 999, 1000, 1001, 3000, 600_000]
        originals = {}
        for size in sizes:
            name = "f%d.bin" % size
            originals[name] = os.urandom(size)
            self.put(name, originals[name])
        for name, content in originals.items():
            path = os.path.join(self.data, name)
            r = self.run_qz("encrypt", path)
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(r.stdout.decode(), "encrypted %s -> %s.qz\n" % (path, path))
            self.assertFalse(os.path.exists(path))
            blob = self.read(path + ".qz")
            self.assertEqual(blob, qzref.expected_qz(name.encode(), content, PASSWORD), name)
            self.assertEqual(os.stat(path + ".qz").st_mode & 0o222, 0, "a .qz is read-only")
            r = self.run_qz("decrypt", path + ".qz")
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(self.read(path), content)
            self.assertFalse(os.path.exists(path + ".qz"))
        self.assert_no_temporaries()

    def test_recursive_takes_the_whole_tree_and_never_follows_links(self):
        deep = os.path.join(self.data, "a", "b")
        os.makedirs(deep)
        files = {"top.txt": b"top", "a/one.txt": b"one", "a/b/two.txt": b"two"}
        for name, content in files.items():
            self.put(name, content)
        os.symlink("..", os.path.join(deep, "up"))  # a link to its own parent
        locked = os.path.join(self.data, "locked")
        os.mkdir(locked, 0)
        self.addCleanup(os.chmod, locked, 0o700)
        r = self.run_qz("encrypt", "-r", self.data)
        self.assertEqual(r.returncode, 0, r.stderr)
        out = r.stdout.decode()
        self.assertIn("skipped %s: a symbolic link; not followed" % os.path.join(deep, "up"), out)
        if os.geteuid() != 0:  # root lists any folder
            self.assertIn("skipped %s: a folder that cannot be read" % locked, out)
        for name, content in files.items():
            path = os.path.join(self.data, name)
            self.assertEqual(self.read(path + ".qz"),
                             qzref.expected_qz(os.path.basename(name).encode(), content, PASSWORD))
        self.assertEqual(self.run_qz("decrypt", "--recursive", self.data).returncode, 0)
        for name, content in files.items():
            self.assertEqual(self.read(os.path.join(self.data, name)), content)

    def test_folder_batch_takes_only_direct_regular_files(self):
        self.put("b.txt", b"bee")
        self.put("a.txt", b"ay")
        other = qzref.expected_qz(b"old.txt", b"other password", b"another")
        self.put("old.txt.qz", other)
        self.put("~qzab12cd.tmp", b"unfinished")
        os.mkdir(os.path.join(self.data, "sub"))
        with open(os.path.join(self.data, "sub", "deep.txt"), "wb") as f:
            f.write(b"deep")
        os.symlink("a.txt", os.path.join(self.data, "link.txt"))
        os.mkfifo(os.path.join(self.data, "pipe"))

        r = self.run_qz("encrypt", self.data)
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = r.stdout.decode().splitlines()
        self.assertEqual([l.split()[1] for l in lines if l.startswith("encrypted ")],
                         [os.path.join(self.data, n) for n in ("a.txt", "b.txt")],
                         "sorted order, links, pipes, temporaries and .qz files skipped")
        # One line for each entry left alone that is neither a folder nor of the other kind.
        self.assertEqual([l.split(":")[0] for l in lines if l.startswith("skipped ")],
                         ["skipped " + os.path.join(self.data, n)
                          for n in ("link.txt", "pipe", "~qzab12cd.tmp")])
        self.assertIn("symbolic link", r.stdout.decode())
        self.assertEqual(self.run_qz("encrypt", "--quiet", self.data).stdout, b"")
        self.assertEqual(self.listing(), ["a.txt.qz", "b.txt.qz", "link.txt", "old.txt.qz",
                                          "pipe", "sub", "~qzab12cd.tmp"])
        self.assertEqual(os.listdir(os.path.join(self.data, "sub")), ["deep.txt"])
        self.assertEqual(self.read(os.path.join(self.data, "old.txt.qz")), other)
        self.assertEqual(self.read(os.path.join(self.data, "~qzab12cd.tmp")), b"unfinished")

        # old.txt.qz has another password: it fails, the rest still goes through.
        r = self.run_qz("decrypt", self.data)
        self.assertEqual(r.returncode, 1)
        self.assertIn("old.txt.qz: wrong password", r.stderr.decode())
        self.assertEqual(len(r.stderr.decode().splitlines()), 1)
        self.assertEqual(self.read(os.path.join(self.data, "a.txt")), b"ay")
        self.assertEqual(self.read(os.path.join(self.data, "b.txt")), b"bee")
        self.assertEqual(self.listing(), ["a.txt", "b.txt", "link.txt", "old.txt.qz", "pipe",
                                          "sub", "~qzab12cd.tmp"])

    def test_keep_leaves_the_source(self):
        path = self.put("k.txt", b"keep me")
        r = self.run_qz("encrypt", "--keep", path)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.read(path), b"keep me")
        os.unlink(path)
        r = self.run_qz("decrypt", path + ".qz", "--keep")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.read(path), b"keep me")
        self.assertTrue(os.path.exists(path + ".qz"))

    def test_quiet_prints_nothing_on_success(self):
        path = self.put("q.txt", b"quiet")
        r = self.run_qz("encrypt", "--quiet", path)
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, b"", b""))

    def test_existing_outputs_are_replaced_only_with_force(self):
        path = self.put("both.txt", b"current")
        old = qzref.expected_qz(b"both.txt", b"older", PASSWORD)
        self.put("both.txt.qz", old)
        os.chmod(path + ".qz", 0o444)
        for command in ("encrypt", "decrypt"):
            with self.subTest(command=command):
                r = self.run_qz(command, self.data)
                self.assertEqual(r.returncode, 1)
                self.assertIn("already exists (--force", r.stderr.decode())
                self.assertEqual((self.read(path), self.read(path + ".qz")), (b"current", old))
        r = self.run_qz("encrypt", "--force", self.data)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.listing(), ["both.txt.qz"])
        self.put("both.txt", b"newer")
        r = self.run_qz("decrypt", "--force", self.data)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.listing(), ["both.txt"])
        self.assertEqual(self.read(path), b"current")
        self.assert_no_temporaries()

    def test_permission_bits_and_modification_time_carry_across(self):
        for mode, encrypted in ((0o600, 0o400), (0o664, 0o444)):
            with self.subTest(mode=oct(mode)):
                path = self.put("m.txt", b"mode")
                os.chmod(path, mode)
                os.utime(path, ns=(1_500_000_000_123_456_789, 1_600_000_000_987_654_321))
                self.assertEqual(self.run_qz("encrypt", path).returncode, 0)
                st = os.stat(path + ".qz")
                self.assertEqual((st.st_mode & 0o7777, st.st_mtime_ns),
                                 (encrypted, 1_600_000_000_987_654_321))
                self.assertEqual(self.run_qz("decrypt", path + ".qz").returncode, 0)
                st = os.stat(path)
                self.assertEqual((st.st_mode & 0o7777, st.st_mtime_ns),
                                 (encrypted | 0o200, 1_600_000_000_987_654_321))
                os.unlink(path)


class PasswordTest(Base):
    def encrypt_and_read(self, content=b"body", locale="C.UTF-8", stdin=None, file=True):
        path = self.put("p.txt", content)
        args = ["encrypt", path] if file else ["encrypt", "--password-stdin", path]
        r = self.run_qz(*args, stdin=stdin, locale=locale, password_file=file)
        self.assertEqual(r.returncode, 0, r.stderr)
        return self.read(path + ".qz")

    def test_password_file_first_line_without_line_end(self):
        for raw in (b"s3cret\r\n", b"s3cret\n", b"s3cret", b"s3cret\nsecond line\n"):
            with self.subTest(raw=raw):
                self.write_password(raw)
                blob = self.encrypt_and_read()
                self.assertEqual(blob, qzref.expected_qz(b"p.txt", b"body", b"s3cret"))
                os.unlink(os.path.join(self.data, "p.txt.qz"))

    def test_lone_carriage_return_is_part_of_the_password(self):
        self.write_password(b"a\rb\n")
        self.assertEqual(self.encrypt_and_read(), qzref.expected_qz(b"p.txt", b"body", b"a\rb"))

    def test_password_stdin(self):
        blob = self.encrypt_and_read(stdin=b"from stdin\r\nignored\n", file=False)
        self.assertEqual(blob, qzref.expected_qz(b"p.txt", b"body", b"from stdin"))

    def test_empty_password_from_a_file_or_stdin_is_refused(self):
        path = self.put("p.txt", b"body")
        for raw in (b"\n", b"", b"\r\nsecond line\n", b"\xef\xbb\xbf\n"):
            with self.subTest(raw=raw):
                self.write_password(raw)
                r = self.run_qz("encrypt", path)
                self.assertEqual(r.returncode, 2)
                self.assertIn(b"empty password", r.stderr)
                r = self.run_qz("encrypt", "--password-stdin", path, stdin=raw,
                                password_file=False)
                self.assertEqual(r.returncode, 2)
                self.assertIn(b"empty password", r.stderr)
        self.assertEqual(self.listing(), ["p.txt"])

    def test_password_file_bytes_mean_the_same_on_every_system(self):
        # UTF-8 with or without BOM, and code page 936 bytes, all give the same password
        # whatever the locale says.
        cp936 = "密码".encode("gbk")
        expected = qzref.expected_qz(b"p.txt", b"body", cp936)
        for raw in ("密码\n".encode("utf-8"), "\ufeff密码\n".encode("utf-8"), cp936 + b"\n"):
            for locale in ("C.UTF-8", "C"):
                with self.subTest(raw=raw, locale=locale):
                    self.write_password(raw)
                    self.assertEqual(self.encrypt_and_read(locale=locale), expected)
                    os.unlink(os.path.join(self.data, "p.txt.qz"))

    def test_chinese_password_is_hashed_as_cp936(self):
        cp936 = "密码".encode("gbk")
        self.assertEqual(cp936, b"\xc3\xdc\xc2\xeb")
        self.write_password("密码\n".encode("utf-8"))
        for locale in ("C.UTF-8", "C"):  # the C locale still gets UTF-8 bytes right
            with self.subTest(locale=locale):
                blob = self.encrypt_and_read(content=b"chinese password", locale=locale)
                ossl = qzref.openssl_rc4(qzref.qz_key(cp936), bytes(256) + b"chinese password")
                if ossl is None:
                    self.skipTest("openssl with the legacy provider is not available")
                header = qzref.xor(qzref.header_plain(b"p.txt"), ossl[:256])
                body = qzref.xor(b"chinese password", ossl[:16])
                # The header's filler after the name's NUL is random.
                self.assertEqual(blob, qzref.ExpectedQz(header + body, qzref.named_bytes(b"p.txt")))
                os.unlink(os.path.join(self.data, "p.txt.qz"))

    def test_passwords_that_cannot_be_used_are_usage_errors(self):
        cases = {
            "not in code page 936": ("😀\n".encode("utf-8"), "C.UTF-8"),
            "neither UTF-8 nor code page 936": (b"\xff\xfe\n", "C"),
            "260 bytes": (b"x" * 260 + b"\n", "C.UTF-8"),
            "130 Chinese characters": (("密" * 130 + "\n").encode("utf-8"), "C.UTF-8"),
        }
        for what, (raw, locale) in cases.items():
            with self.subTest(what):
                self.write_password(raw)
                path = self.put("p.txt", b"body")
                r = self.run_qz("encrypt", path, locale=locale)
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertIn(b"password", r.stderr)
                self.assertEqual(self.listing(), ["p.txt"])

    def test_longest_password_is_accepted(self):
        self.write_password(b"x" * 259 + b"\n")
        self.assertEqual(self.encrypt_and_read(), qzref.expected_qz(b"p.txt", b"body", b"x" * 259))

    def test_unreadable_password_file(self):
        path = self.put("p.txt", b"body")
        r = subprocess.run([QZCRYPT, "encrypt", "--password-file",
                            os.path.join(self.dir, "missing"), path], capture_output=True)
        self.assertEqual(r.returncode, 2)
        self.assertIn(b"password file", r.stderr)
        self.assertEqual(self.listing(), ["p.txt"])


class NameTest(Base):
    def test_chinese_name_is_written_in_cp936(self):
        name = "报告 2024.txt"
        path = self.put(name, b"report body")
        r = self.run_qz("encrypt", path)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.listing(), [name + ".qz"], "the name on disk stays UTF-8")
        blob = self.read(path + ".qz")
        ossl = qzref.openssl_rc4(qzref.qz_key(PASSWORD), blob[:256])
        if ossl is None:
            self.skipTest("openssl with the legacy provider is not available")
        cp936 = name.encode("gbk")
        self.assertEqual(ossl[:len(cp936) + 1], cp936 + b"\0")  # random filler follows
        r = self.run_qz("decrypt", path + ".qz")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.read(path), b"report body")

    def test_names_are_stored_in_code_page_936_with_question_marks_for_the_rest(self):
        cases = {"Straße.txt": b"Stra?e.txt", "señor": b"se?or", "한국어 x": b"??? x",
                 "x😀é.txt": b"x?" + "é".encode("gbk") + b".txt",
                 b"bad\xffbyte": b"bad?byte",
                 "报告.txt".encode("gbk"): "报告.txt".encode("gbk")}  # unpacked as it was
        for name, stored in cases.items():
            with self.subTest(name=name):
                path = os.fsencode(self.put(name, b"content"))
                r = self.run_qz("encrypt", path)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(self.read(path + b".qz"),
                                 qzref.expected_qz(stored, b"content", PASSWORD))
                r = self.run_qz("decrypt", path + b".qz")
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(self.read(path), b"content")
                os.unlink(path)

    def test_control_characters_are_refused(self):
        path = self.put(b"a\x01b.txt", b"content")
        r = self.run_qz("encrypt", path)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"control characters", r.stderr)
        self.assertEqual(self.read(path), b"content")
        self.assertEqual(len(self.listing()), 1)

    def test_a_header_naming_another_file_is_refused_unless_ignore_name(self):
        # What a renamed file and a wrong password that passes the header test look like.
        blob = qzref.expected_qz("旧名.txt".encode("gbk"), b"renamed", PASSWORD)
        path = self.put("new.txt.qz", blob)
        for command in ("decrypt", "check"):
            with self.subTest(command=command):
                r = self.run_qz(command, path)
                self.assertEqual(r.returncode, 1)
                self.assertIn('the name stored inside is "旧名.txt", not "new.txt"',
                              r.stderr.decode())
                self.assertEqual(self.listing(), ["new.txt.qz"])
        self.assertEqual(self.run_qz("check", "--ignore-name", path).returncode, 0)
        r = self.run_qz("decrypt", "--ignore-name", path)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("kept", r.stdout.decode())
        self.assertEqual(self.read(os.path.join(self.data, "new.txt")), b"renamed")
        self.assertEqual(self.read(path), blob)


class FailureTest(Base):
    def test_wrong_password_leaves_the_qz_and_creates_nothing(self):
        blob = qzref.expected_qz(b"w.txt", b"x" * 5000, b"right")
        path = self.put("w.txt.qz", blob)
        r = self.run_qz("decrypt", path)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr.decode(),
                         "qzcrypt: cannot decrypt %s: wrong password\n" % path)
        self.assertEqual(self.listing(), ["w.txt.qz"])
        self.assertEqual(self.read(path), blob)

    def test_short_qz_is_refused_not_emptied(self):
        path = self.put("short.txt.qz", b"only 20 bytes here..")
        for command in ("decrypt", "check"):
            r = self.run_qz(command, path)
            self.assertEqual(r.returncode, 1)
            self.assertIn(b"too short", r.stderr)
        self.assertEqual(self.listing(), ["short.txt.qz"])
        self.assertEqual(self.read(path), b"only 20 bytes here..")

    def test_read_only_plain_file_blocks_decryption(self):
        plain = self.put("ro.txt", b"existing")
        os.chmod(plain, 0o444)
        qz = self.put("ro.txt.qz", qzref.expected_qz(b"ro.txt", b"new", PASSWORD))
        r = self.run_qz("decrypt", qz)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"cannot create the destination (", r.stderr)
        self.assertIn(b"(D2)", r.stderr)
        self.assertEqual(self.read(plain), b"existing")
        self.assertTrue(os.path.exists(qz))

    def immutable(self, path):
        """Makes unlink fail even for root; the test is skipped where that is impossible."""
        if subprocess.run(["chattr", "+i", path], capture_output=True).returncode != 0:
            self.skipTest("chattr +i is not available here")
        self.addCleanup(subprocess.run, ["chattr", "-i", path], capture_output=True)

    def test_source_that_cannot_be_deleted(self):
        fresh = self.put("fresh.txt", b"fresh")
        self.immutable(fresh)
        r = self.run_qz("encrypt", fresh)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"source could not be deleted; the output " + fresh.encode() +
                      b".qz was removed again", r.stderr)
        self.assertEqual(self.listing(), ["fresh.txt"])

        # An output that replaced an older .qz is kept: removing it would leave
        # nothing of the older file.
        older = self.put("older.txt", b"new content")
        self.put("older.txt.qz", qzref.expected_qz(b"older.txt", b"old content", PASSWORD))
        self.immutable(older)
        r = self.run_qz("encrypt", "--force", older)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"was kept (it replaced an earlier file", r.stderr)
        self.assertEqual(self.read(older + ".qz"),
                         qzref.expected_qz(b"older.txt", b"new content", PASSWORD))
        self.assert_no_temporaries()

    def test_a_file_named_twice_runs_once(self):
        path = self.put("twice.txt", b"twice")
        r = self.run_qz("encrypt", path, self.data, path)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.decode().count("encrypted"), 1)

    def test_paths_that_cannot_be_used(self):
        good = self.put("good.txt", b"good")
        plain = self.put("plain.txt", b"plain")
        cases = [
            (("encrypt", os.path.join(self.data, "missing"), good), "no such file"),
            (("decrypt", plain), "does not end in"),
            (("check", plain), "does not end in"),
            (("encrypt", self.put("x.qz", b"already")), "already encrypted"),
            (("encrypt", self.put("~qz000000.tmp", b"t")), "unfinished output"),
            (("encrypt", self.link("link", plain)), "symbolic link"),
            (("decrypt", self.link("dead.qz", "nowhere.qz")), "symbolic link"),
            (("encrypt", self.fifo("pipe")), "FIFO"),
            (("encrypt", "/dev/null"), "device"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                r = self.run_qz(*args)
                self.assertEqual(r.returncode, 1)
                self.assertIn(message, r.stderr.decode())
        self.assertFalse(os.path.exists(good), "the usable path was still encrypted")
        self.assertEqual(self.read(plain), b"plain")
        self.assertNotIn("link.qz", self.listing())

    def link(self, name, target):
        os.symlink(target, os.path.join(self.data, name))
        return os.path.join(self.data, name)

    def fifo(self, name):
        os.mkfifo(os.path.join(self.data, name))
        return os.path.join(self.data, name)

    def test_usage_errors(self):
        path = self.put("u.txt", b"u")
        cases = [
            [],
            ["frobnicate", path],
            ["encrypt"],
            ["encrypt", "--unknown", path],
            ["encrypt", "--password-file"],
            ["encrypt", "--password-stdin", "--password-file", self.pwfile, path],
        ]
        for args in cases:
            with self.subTest(args=args):
                r = subprocess.run([QZCRYPT] + args, capture_output=True, input=b"")
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertIn(b"--help", r.stderr)
        self.assertEqual(self.listing(), ["u.txt"])

    def test_help_and_version(self):
        r = subprocess.run([QZCRYPT, "--help"], capture_output=True)
        self.assertEqual(r.returncode, 0)
        self.assertIn(b"qzcrypt encrypt [options] PATH...", r.stdout)
        r = subprocess.run([QZCRYPT, "--version"], capture_output=True)
        self.assertEqual(r.returncode, 0)
        self.assertRegex(r.stdout.decode(), r"^qzcrypt \d+(\.\d+)+\n$")

    def test_no_terminal_for_the_prompt(self):
        path = self.put("t.txt", b"t")
        r = subprocess.run([QZCRYPT, "encrypt", path], capture_output=True,
                           stdin=subprocess.DEVNULL, start_new_session=True)
        self.assertEqual(r.returncode, 2)
        self.assertIn(b"no terminal", r.stderr)
        self.assertEqual(self.listing(), ["t.txt"])


class CheckTest(Base):
    def test_check_reports_each_file_and_writes_nothing(self):
        right = self.put("r.txt.qz", qzref.expected_qz(b"r.txt", b"r" * 300, PASSWORD))
        wrong = self.put("w.txt.qz", qzref.expected_qz(b"w.txt", b"w" * 300, b"other"))
        before = {n: self.read(os.path.join(self.data, n)) for n in self.listing()}
        r = self.run_qz("check", right)
        self.assertEqual((r.returncode, r.stdout.decode()),
                         (0, "%s: the password opens it\n" % right))
        r = self.run_qz("check", right, wrong)
        self.assertEqual(r.returncode, 1)
        self.assertIn("%s: wrong password" % wrong, r.stderr.decode())
        r = self.run_qz("check", self.data)
        self.assertEqual(r.returncode, 1)
        self.assertEqual({n: self.read(os.path.join(self.data, n)) for n in self.listing()},
                         before)


class Session:
    """qzcrypt on a pseudo-terminal, as a user at a console would run it."""

    def __init__(self, test, *args):
        self.test = test
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execve(QZCRYPT, [QZCRYPT] + list(args), env_for())
        self.transcript = b""
        self.pos = 0

    def _read(self, timeout):
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if not ready:
            return None
        try:
            return os.read(self.fd, 4096)
        except OSError:  # EIO once the child has gone
            return b""

    def expect(self, text, timeout=20):
        deadline = time.time() + timeout
        while text not in self.transcript[self.pos:]:
            chunk = self._read(max(0, deadline - time.time()))
            if not chunk:
                self.test.fail("did not see %r in %r" % (text, self.transcript))
            self.transcript += chunk
        self.pos = self.transcript.index(text, self.pos) + len(text)

    def send(self, data):
        os.write(self.fd, data)

    def finish(self):
        while True:
            chunk = self._read(30)
            if not chunk:
                break
            self.transcript += chunk
        os.close(self.fd)
        _, status = os.waitpid(self.pid, 0)
        return os.waitstatus_to_exitcode(status)


class TerminalTest(Base):
    def test_encrypt_asks_twice_and_again_after_a_mismatch(self):
        path = self.put("i.txt", b"interactive")
        s = Session(self, "encrypt", path)
        s.expect(b"Password: ")
        s.send(b"first-try\n")
        s.expect(b"Repeat the password: ")
        s.send(b"second-try\n")
        s.expect(b"do not match")
        s.expect(b"Password: ")
        s.send("口令\n".encode("utf-8"))
        s.expect(b"Repeat the password: ")
        s.send("口令\n".encode("utf-8"))
        self.assertEqual(s.finish(), 0, s.transcript)
        for typed in (b"first-try", b"second-try", "口令".encode("utf-8")):
            self.assertNotIn(typed, s.transcript, "the typed password was echoed")
        self.assertEqual(self.read(path + ".qz"),
                         qzref.expected_qz(b"i.txt", b"interactive", "口令".encode("gbk")))

    def test_empty_entry_warns_that_the_default_password_is_used(self):
        path = self.put("e.txt", b"empty entry")
        s = Session(self, "encrypt", path)
        for prompt in (b"Password: ", b"Repeat the password: "):
            s.expect(prompt)
            s.send(b"\n")
        s.expect(b"built-in default password, which anyone can use")
        self.assertEqual(s.finish(), 0, s.transcript)
        self.assertEqual(self.read(path + ".qz"),
                         qzref.expected_qz(b"e.txt", b"empty entry", qzref.DEFAULT_PASSWORD))

    def test_decrypt_asks_once(self):
        path = self.put("d.txt.qz", qzref.expected_qz(b"d.txt", b"plain", b"pw"))
        s = Session(self, "decrypt", path)
        s.expect(b"Password: ")
        s.send(b"pw\n")
        self.assertEqual(s.finish(), 0, s.transcript)
        self.assertEqual(s.transcript.count(b"Password"), 1)
        self.assertEqual(self.read(os.path.join(self.data, "d.txt")), b"plain")

    def test_progress_bar_only_for_large_files(self):
        big = self.put("big.bin", os.urandom(501_000))
        small = self.put("small.bin", os.urandom(500_999))
        s = Session(self, "encrypt", "--password-file", self.pwfile, big, small)
        self.assertEqual(s.finish(), 0, s.transcript)
        self.assertEqual(s.transcript.count(b"100%"), 1, s.transcript)
        self.assertIn(b"big.bin [", s.transcript)
        self.assertNotIn(b"small.bin [", s.transcript)
        self.assertIn(b"encrypted " + small.encode(), s.transcript)


class InterruptTest(Base):
    def test_ctrl_c_at_the_prompt_gives_the_echo_back(self):
        path = self.put("c.txt", b"c")
        s = Session(self, "encrypt", path)
        s.expect(b"Password: ")
        self.assertFalse(termios.tcgetattr(s.fd)[3] & termios.ECHO, "echo is off while asking")
        s.send(b"\x03")
        # It ends only after it gave the terminal back: wait for the end, then look.
        _, status = os.waitpid(s.pid, 0)
        self.assertTrue(termios.tcgetattr(s.fd)[3] & termios.ECHO, "echo came back")
        os.close(s.fd)
        self.assertEqual(os.waitstatus_to_exitcode(status), -signal.SIGINT)
        self.assertEqual(self.listing(), ["c.txt"])

    def test_signals_stop_the_file_in_hand_and_keep_its_source(self):
        # The last two arrive before the first can be acted on: the handler itself must
        # remove the temporary output.
        for signals in ([signal.SIGINT], [signal.SIGTERM], [signal.SIGHUP],
                        [signal.SIGSTOP, signal.SIGINT, signal.SIGTERM, signal.SIGCONT]):
            with self.subTest(signals=signals):
                big = self.put("big.bin", b"")
                os.truncate(big, 2 << 30)  # sparse: quick to read, larger than the output may grow
                proc = subprocess.Popen([QZCRYPT, "encrypt", "--password-file", self.pwfile, big,
                                         self.put("next.txt", b"next")],
                                        stderr=subprocess.PIPE, env=env_for(),
                                        preexec_fn=limit_output_size)
                while not any(n.startswith("~qz") for n in self.listing()):
                    self.assertIsNone(proc.poll(), "no temporary output appeared")
                temp = [n for n in self.listing() if n.startswith("~qz")][0]
                self.assertEqual(os.stat(os.path.join(self.data, temp)).st_mode & 0o777, 0o600)
                for sig in signals:
                    proc.send_signal(sig)
                _, err = proc.communicate(timeout=60)
                # Had the file in hand gone on, the output's size limit would have ended it.
                self.assertIn(-proc.returncode, signals, err)
                self.assertEqual(self.listing(), ["big.bin", "next.txt"])
                if len(signals) == 1:
                    self.assertIn(b"interrupted; " + big.encode() + b" is as it was", err)
                    self.assertIn(b"1 more file(s) not processed", err)

    def test_a_signal_ends_the_wait_for_a_password_on_stdin(self):
        path = self.put("w.txt", b"waiting")
        proc = subprocess.Popen([QZCRYPT, "encrypt", "--password-stdin", path],
                                stdin=subprocess.PIPE, env=env_for())
        time.sleep(0.3)
        proc.send_signal(signal.SIGTERM)
        self.assertEqual(proc.wait(timeout=5), -signal.SIGTERM)
        proc.stdin.close()
        self.assertEqual(self.listing(), ["w.txt"])

    def test_interrupted_batch_keeps_every_file_whole(self):
        originals = {"big%d.bin" % i: os.urandom(2_000_000) for i in range(8)}
        for name, data in originals.items():
            self.put(name, data)
        proc = subprocess.Popen([QZCRYPT, "encrypt", "--password-file", self.pwfile, self.data],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env_for())
        proc.stdout.readline()
        proc.send_signal(signal.SIGINT)
        _, err = proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, -signal.SIGINT)
        self.assertIn(b"interrupted", err)
        self.assert_no_temporaries()
        encrypted = 0
        for name, data in originals.items():
            path = os.path.join(self.data, name)
            self.assertNotEqual(os.path.exists(path), os.path.exists(path + ".qz"), name)
            if os.path.exists(path):
                self.assertEqual(self.read(path), data)
            else:
                encrypted += 1
                self.assertEqual(self.read(path + ".qz"),
                                 qzref.expected_qz(name.encode(), data, PASSWORD))
        self.assertLess(encrypted, len(originals))


if __name__ == "__main__":
    QZCRYPT = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
