"""qzcrypt keeps no stray copy of a typed password: stopped once the first file of a batch
is done (qzcrypt asks nothing between files), while the password is still needed for the
next ones, its memory holds it only in guarded blocks (locked, between inaccessible
pages), and only in the form the command uses (UTF-8 for .age files, code page 936 for .qz
files).

usage: test_password_memory.py QZCRYPT [unittest arguments]
Needs root: qzcrypt makes itself undumpable, which keeps others out of /proc/PID/mem.
"""

import os
import select
import signal
import sys
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import process_memory  # noqa: E402
import test_qzcrypt as base  # noqa: E402

# Its UTF-8, UTF-16 and code page 936 forms differ, and none occurs by chance.
PASSWORD = "Mem0ry-扫描-Probe-7fQ"
# Big enough that qzcrypt is still at work on it when it is stopped.
BIG = 96 << 20


@unittest.skipUnless(os.geteuid() == 0, "reading an undumpable process's memory needs root")
class PasswordMemoryTest(base.Base):
    def paused_counts(self, args, names, prompts):
        """Runs qzcrypt on the files with the password typed at its prompts, stops it once
        the first file is done, and counts the password's copies in its memory."""
        paths = [os.path.join(self.data, n) for n in names]
        s = base.Session(self, *args, *paths)
        for prompt in prompts:
            s.expect(prompt)
            s.send(PASSWORD.encode() + b"\n")
        s.expect(b" " + paths[0].encode() + b" -> ", timeout=60)
        os.kill(s.pid, signal.SIGSTOP)
        os.waitpid(s.pid, os.WUNTRACED)
        while select.select([s.fd], [], [], 0.2)[0]:
            chunk = os.read(s.fd, 4096)
            if not chunk:
                break
            s.transcript += chunk
        self.assertNotIn(b" " + paths[-1].encode() + b" -> ", s.transcript,
                         "the batch ended before the pause")
        counts = (process_memory.count_copies(s.pid, PASSWORD),
                  process_memory.count_copies(s.pid, PASSWORD, skip_guarded=True))
        os.kill(s.pid, signal.SIGCONT)
        self.assertEqual(s.finish(), 0, s.transcript)
        return counts

    def test_one_copy_in_the_needed_form_between_files(self):
        names = ["memory-a.bin", "memory-b.bin", "memory-c.bin"]
        for name, size in zip(names, (1000, BIG, 1000)):
            self.put(name, os.urandom(size))
        twice = (b"Password: ", b"Repeat the password: ")
        runs = [
            ("encrypt --strong", ["encrypt", "--strong", "--work-factor", "10"], names, twice, "UTF-8"),
            ("decrypt .age", ["decrypt"], [n + ".age" for n in names], (b"Password: ",), "UTF-8"),
            ("encrypt .qz", ["encrypt"], names, twice, "CP936"),
            ("decrypt .qz", ["decrypt"], [n + ".qz" for n in names], (b"Password: ",), "CP936"),
        ]
        found = {run[0]: self.paused_counts(*run[1:4]) for run in runs}
        print("".join("\nqzcrypt %s, stopped after its first file: %s; outside guarded memory: %s"
                      % (label, process_memory.describe(everywhere), process_memory.describe(outside))
                      for label, (everywhere, outside) in found.items()), flush=True)
        for label, _, _, _, needed in runs:
            with self.subTest(label):
                everywhere, outside = found[label]
                self.assertGreater(everywhere[needed], 0, "the scan does not see the live password")
                stray = {form: n for form, n in outside.items() if n}
                stray.update({form: n for form, n in everywhere.items() if n and form != needed})
                self.assertEqual(stray, {}, "copies of the password: %s; outside guarded memory: %s"
                                 % (process_memory.describe(everywhere), process_memory.describe(outside)))


if __name__ == "__main__":
    base.QZCRYPT = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
