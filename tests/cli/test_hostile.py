"""qzcrypt against careless users and hostile files: the password's own file, names too
short to confirm a password, other users' files, hard links, control characters in
names, and races between the listing and the work."""

import os
import resource
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qzref  # noqa: E402
import test_qzcrypt  # noqa: E402
from test_qzcrypt import PASSWORD, Base, env_for  # noqa: E402


def matching_qz(stored, body, password=PASSWORD, real=b"the real password"):
    """A .qz whose header reads `stored` under `password` while its body was encrypted
    with another: what a wrong password that happens to give a plausible name sees."""
    header = qzref.xor(qzref.header_plain(stored), qzref.keystream(qzref.qz_key(password), 256))
    return header + qzref.xor(body, qzref.keystream(qzref.qz_key(real), len(body)))


def core_limit(pid):
    with open("/proc/%d/limits" % pid) as f:
        return [line.split()[4:6] for line in f if line.startswith("Max core")][0]


class PasswordSourceTest(Base):
    def test_the_password_file_is_never_worked_on(self):
        pw = self.put("pw.txt", PASSWORD + b"\n")
        self.put("a.txt", b"a")
        r = self.run_qz("encrypt", "--password-file", pw, self.data, password_file=False)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("skipped %s: it holds the password of this run" % pw, r.stdout.decode())
        self.assertEqual(self.listing(), ["a.txt.qz", "pw.txt"])
        os.link(pw, os.path.join(self.data, "pw-link"))
        for args in (["--password-file", pw, pw], ["--password-stdin", self.data + "/pw-link"]):
            with self.subTest(args=args), open(pw, "rb") as stdin:
                r = subprocess.run([test_qzcrypt.QZCRYPT, "encrypt", "--force"] + args,
                                   stdin=stdin, capture_output=True, env=env_for(), timeout=60)
                self.assertEqual(r.returncode, 1)
                self.assertIn(b"it holds the password of this run", r.stderr)
        self.assertEqual(self.read(pw), PASSWORD + b"\n")
        self.assertEqual(self.listing(), ["a.txt.qz", "pw-link", "pw.txt"])

    def test_one_file_under_two_spellings_runs_once_and_a_lone_cr_ends_the_line(self):
        self.write_password(PASSWORD + b"\r")
        self.put("d.txt", b"dee")
        spelled = os.path.join(self.data, ".", "d.txt")
        r = self.run_qz("encrypt", os.path.join(self.data, "d.txt"), spelled)
        self.assertEqual((r.returncode, r.stdout.decode().count("encrypted")), (0, 1), r.stderr)
        self.assertEqual(self.read(os.path.join(self.data, "d.txt.qz")),
                         qzref.expected_qz(b"d.txt", b"dee", PASSWORD))


class ShortNameTest(Base):
    def test_a_match_on_a_short_name_keeps_the_qz(self):
        # The name on disk, what its header holds, and whether a match proves the password.
        cases = [("a", b"a", False), ("한", b"?", False), ("x\\", b"", False),
                 ("\\a", b"a", False), ("ab", b"ab", True)]
        for name, stored, confirms in cases:
            with self.subTest(name=name):
                blob = matching_qz(stored, b"garbage under a wrong password")
                path = self.put(name + ".qz", blob)
                plain = path[:-3]
                r = self.run_qz("check", path)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual("the password opens it" in r.stdout.decode(), confirms)
                self.assertEqual("too short to confirm" in r.stdout.decode(), not confirms)
                r = self.run_qz("decrypt", path)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertTrue(os.path.exists(plain))
                if confirms:
                    self.assertFalse(os.path.exists(path))
                    continue
                self.assertEqual(self.read(path), blob, "the .qz stays as it was")
                self.assertIn("%s kept: its name is too short to confirm" % path, r.stderr.decode())
                os.unlink(plain)
                os.unlink(path)


@unittest.skipUnless(os.geteuid() == 0, "needs root")
class OwnershipTest(Base):
    def test_outputs_keep_the_owner_and_group_of_their_source(self):
        path = self.put("diary.txt", b"dear diary")
        os.chmod(path, 0o640)
        os.chown(path, 1234, 5678)
        for command, output, mode in (("encrypt", path + ".qz", 0o440),
                                      ("decrypt", path, 0o640)):
            r = self.run_qz(command, path if command == "encrypt" else path + ".qz")
            self.assertEqual(r.returncode, 0, r.stderr)
            st = os.stat(output)
            self.assertEqual((st.st_uid, st.st_gid, st.st_mode & 0o7777), (1234, 5678, mode))
        self.assertEqual(self.read(path), b"dear diary")


class HardLinkTest(Base):
    def test_files_with_other_names_are_refused_unless_forced(self):
        a = self.put("a.txt", b"linked")
        os.link(a, os.path.join(self.data, "b.txt"))
        self.put("c.txt", b"alone")
        r = self.run_qz("encrypt", self.data)
        self.assertEqual(r.returncode, 1)
        for name in ("a.txt", "b.txt"):
            self.assertIn("cannot encrypt %s: it has other names (hard links), which would "
                          "still hold the plain text" % os.path.join(self.data, name),
                          r.stderr.decode())
        self.assertEqual(self.listing(), ["a.txt", "b.txt", "c.txt.qz"])
        r = self.run_qz("encrypt", "--force", a)
        self.assertEqual(r.returncode, 0, r.stderr)
        os.link(a + ".qz", os.path.join(self.data, "copy.qz"))
        r = self.run_qz("decrypt", a + ".qz")
        self.assertEqual(r.returncode, 1)
        self.assertIn("which would still hold the .qz", r.stderr.decode())
        self.assertEqual(self.listing(), ["a.txt.qz", "b.txt", "c.txt.qz", "copy.qz"])


class TerminalNamesTest(Base):
    def test_control_characters_in_names_are_shown_escaped(self):
        name = b"\x1b]2;OWNED\x07\x1b[2J\x7f\xc2\x9b.txt"
        shown = b"\\x1b]2;OWNED\\x07\\x1b[2J\\x7f\\x9b.txt"
        path = os.fsencode(self.put(name, b"x"))
        os.symlink(b"nowhere", os.path.join(os.fsencode(self.data), b"\x1b[8m link"))
        runs = [self.run_qz("encrypt", path),  # a .qz header cannot hold the name
                self.run_qz("encrypt", "--strong", "--work-factor", "10", self.data)]
        out = b"".join(r.stdout + r.stderr for r in runs)
        self.assertIn(shown + b": the file name contains control characters", out)
        self.assertIn(b"encrypted " + os.fsencode(self.data) + b"/" + shown, out)
        self.assertIn(b"skipped " + os.fsencode(self.data) + b"/\\x1b[8m link", out)
        self.assertFalse([c for c in out if c < 0x20 and c != 0x0A], out)
        self.assertNotIn(b"\xc2\x9b", out)


class RaceAndLimitTest(Base):
    def test_a_listed_file_swapped_meanwhile_is_neither_followed_nor_waited_for(self):
        target = self.put("target", b"not mine")
        for swap in ("symlink", "fifo"):
            with self.subTest(swap=swap):
                path = self.put("listed.txt", b"listed")
                proc = subprocess.Popen([test_qzcrypt.QZCRYPT, "encrypt", "--password-stdin", path],
                                        stdin=subprocess.PIPE, stderr=subprocess.PIPE, env=env_for())
                # Listed and waiting for the password once core dumps are off.
                deadline = time.time() + 10
                while core_limit(proc.pid) != ["0", "0"] and time.time() < deadline:
                    time.sleep(0.02)
                self.assertEqual(core_limit(proc.pid), ["0", "0"], "no core dump holds a password")
                os.unlink(path)
                os.symlink(target, path) if swap == "symlink" else os.mkfifo(path)
                _, err = proc.communicate(PASSWORD + b"\n", timeout=10)
                self.assertEqual(proc.returncode, 1, err)
                self.assertIn(b"cannot open the source (E1)", err)
                self.assertEqual(self.listing(), ["listed.txt", "target"])
                self.assertEqual(self.read(target), b"not mine")
                os.unlink(path)

    def test_sigquit_and_a_file_size_limit_leave_no_unfinished_output(self):
        big = self.put("big.bin", b"")
        os.truncate(big, 2 << 30)
        proc = subprocess.Popen([test_qzcrypt.QZCRYPT, "encrypt", "--password-file", self.pwfile,
                                 big], stderr=subprocess.PIPE, env=env_for(),
                                preexec_fn=test_qzcrypt.limit_output_size)
        while not any(n.startswith("~qz") for n in self.listing()):
            self.assertIsNone(proc.poll(), "no temporary output appeared")
        proc.send_signal(signal.SIGQUIT)
        proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, -signal.SIGQUIT)
        self.assertEqual(self.listing(), ["big.bin"])

        def small_limit():
            resource.setrlimit(resource.RLIMIT_FSIZE, (1 << 20, 1 << 20))
        os.truncate(big, 3 << 20)
        r = subprocess.run([test_qzcrypt.QZCRYPT, "encrypt", "--password-file", self.pwfile, big],
                           capture_output=True, preexec_fn=small_limit, timeout=60)
        self.assertEqual(r.returncode, -signal.SIGXFSZ, r.stderr)
        self.assertIn(b"cannot write the output (E12)", r.stderr)
        self.assertEqual(self.listing(), ["big.bin"])

    @unittest.skipUnless(os.geteuid() == 0, "mounting a small file system needs root")
    def test_a_full_disk_is_named_as_such(self):
        disk = tempfile.mkdtemp(prefix="qzfull-")
        self.addCleanup(os.rmdir, disk)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", disk]).returncode:
            self.skipTest("cannot mount a tmpfs here")
        self.addCleanup(subprocess.run, ["umount", disk])
        path = os.path.join(disk, "big.bin")
        with open(path, "wb") as f:
            f.write(os.urandom(160 << 10))
        r = self.run_qz("encrypt", path)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"cannot write the output: the disk is full (E12)", r.stderr)
        self.assertEqual(sorted(os.listdir(disk)), ["big.bin"])


if __name__ == "__main__":
    test_qzcrypt.QZCRYPT = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
