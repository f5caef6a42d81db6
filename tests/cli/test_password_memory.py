"""qzcrypt keeps no stray copy of a typed password: stopped once the first file of a batch
is done, while the password is still needed for the next ones, its memory holds it only
in guarded blocks (locked, an inaccessible page right before and after). Needs root: qzcrypt is undumpable, so /proc/PID/mem is root's.

usage: test_password_memory.py QZCRYPT [unittest arguments]
"""

import os
import select
import signal
import sys
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_qzcrypt as base  # noqa: E402

# Its UTF-8, UTF-16 and code page 936 forms differ, and none occurs by chance.
PASSWORD = "Mem0ry-扫描-Probe-7fQ"
FORMS = {"UTF-16": "utf-16-le", "UTF-8": "utf-8", "CP936": "gbk"}


def copies(pid):
    """{form: copies outside guarded blocks}, and copies in guarded blocks, of PASSWORD."""
    with open("/proc/%d/smaps" % pid) as smaps:
        maps = []  # [start, end, permissions, name, locked kB]
        for fields in (line.split() for line in smaps):
            if "-" in fields[0] and len(fields) >= 5:
                maps.append([*(int(x, 16) for x in fields[0].split("-")), fields[1], fields[5:], 0])
            elif fields[0] == "Locked:":
                maps[-1][4] = int(fields[1])
    outside, guarded = dict.fromkeys(FORMS, 0), 0
    with open("/proc/%d/mem" % pid, "rb", buffering=0) as mem:
        for i, (start, end, perms, name, locked) in enumerate(maps):
            if "r" not in perms or name[:1] in (["[vvar]"], ["[vsyscall]"]):
                continue
            try:
                mem.seek(start)
                data = mem.read(end - start)
            except OSError:  # unmapped meanwhile
                continue
            fenced = locked and 0 < i < len(maps) - 1 and maps[i - 1][1] == start and \
                maps[i + 1][0] == end and maps[i - 1][2][:3] == maps[i + 1][2][:3] == "---"
            for form, codec in FORMS.items():
                n = data.count(PASSWORD.encode(codec))
                guarded += n if fenced else 0
                outside[form] += 0 if fenced else n
    return outside, guarded


@unittest.skipUnless(os.geteuid() == 0, "reading an undumpable process's memory needs root")
class PasswordMemoryTest(base.Base):
    def paused_copies(self, args, names, prompts):
        """qzcrypt on the files, the password typed at its prompts, stopped (it asks nothing
        between files) once the first file is done: the password's copies then."""
        paths = [os.path.join(self.data, n) for n in names]
        s = base.Session(self, *args, *paths)
        for prompt in prompts:
            s.expect(prompt)
            s.send(PASSWORD.encode() + b"\n")
        s.expect(b" " + paths[0].encode() + b" -> ", timeout=60)
        os.kill(s.pid, signal.SIGSTOP)
        os.waitpid(s.pid, os.WUNTRACED)
        while select.select([s.fd], [], [], 0.2)[0] and (chunk := os.read(s.fd, 4096)):
            s.transcript += chunk
        self.assertNotIn(b" " + paths[-1].encode() + b" -> ", s.transcript, "the batch ended before the pause")
        found = copies(s.pid)
        os.kill(s.pid, signal.SIGCONT)
        self.assertEqual(s.finish(), 0, s.transcript)
        return found

    def test_only_guarded_copies_between_files(self):
        names = ["memory-a.bin", "memory-b.bin", "memory-c.bin"]
        for name, size in zip(names, (1000, 96 << 20, 1000)):  # still at the big one when stopped
            self.put(name, os.urandom(size))
        twice = (b"Password: ", b"Repeat the password: ")
        for label, args, files, prompts in [
                ("encrypt --strong", ["encrypt", "--strong", "--work-factor", "10"], names, twice),
                ("decrypt .age", ["decrypt"], [n + ".age" for n in names], twice[:1]),
                ("encrypt .qz", ["encrypt"], names, twice),
                ("decrypt .qz", ["decrypt"], [n + ".qz" for n in names], twice[:1])]:
            outside, guarded = self.paused_copies(args, files, prompts)
            print("qzcrypt %s, stopped after its first file: in guarded blocks %d; elsewhere %s"
                  % (label, guarded, outside), flush=True)
            with self.subTest(label):
                self.assertGreater(guarded, 0, "the scan does not see the live password")
                self.assertEqual(sum(outside.values()), 0, outside)


if __name__ == "__main__":
    base.QZCRYPT = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
