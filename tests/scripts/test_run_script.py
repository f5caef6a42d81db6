"""scripts/run.sh with a built Lockmere.exe: however the script is stopped, the program,
the virtual screen and the picture loop end with it.

Usage: test_run_script.py LOCKMERE_EXE BUILD_DIR
"""
import os
import signal
import subprocess
import sys
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXE = BUILD_DIR = None


def children():
    """Parent pid -> child pids, from /proc."""
    tree = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        if fields[0] != "Z":
            tree.setdefault(int(fields[1]), []).append(int(name))
    return tree


def descendants(pid):
    tree, found, todo = children(), [], [pid]
    while todo:
        for child in tree.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def command_line(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode(errors="replace")
    except OSError:
        return ""


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            stat = f.read()
    except OSError:
        return False
    return stat[stat.rindex(")") + 2] != "Z"


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.2)
    return condition()


class RunScriptTest(unittest.TestCase):
    def start(self, display):
        env = dict(os.environ, QZ_BUILD_DIR=BUILD_DIR)
        env.pop("DISPLAY", None)
        if display:
            env["DISPLAY"] = display
        self.picture = os.path.join(BUILD_DIR, "lockmere-window.png")
        if os.path.exists(self.picture):
            os.unlink(self.picture)
        # A session of its own, as a terminal would give: Ctrl-C reaches its group only.
        proc = subprocess.Popen([os.path.join(ROOT, "scripts", "run.sh"), EXE], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                start_new_session=True)
        self.addCleanup(self.end_leftovers, proc)
        # The script's own subshells carry its command line too; only a process that is
        # not the script shows that the program was started (after the script's traps).
        running = wait_until(lambda: any("Lockmere.exe" in command_line(p) and
                                         "run.sh" not in command_line(p)
                                         for p in descendants(proc.pid)), 60)
        self.assertTrue(running, "the program did not start")
        if not display:
            self.assertTrue(wait_until(lambda: os.path.exists(self.picture), 30),
                            "no picture of the virtual screen")
        started = descendants(proc.pid)
        if not display:
            self.assertTrue(any("Xvfb" in command_line(p) for p in started))
        self.started = {p: command_line(p) for p in started}
        return proc

    def end_leftovers(self, proc):
        for pid in list(getattr(self, "started", {})) + [proc.pid]:
            if alive(pid):
                os.kill(pid, signal.SIGKILL)
        proc.wait(timeout=10)
        proc.stderr.close()
        subprocess.run(["wineserver", "-k"], env=dict(os.environ,
                       WINEPREFIX=os.path.join(BUILD_DIR, "wineprefix")), capture_output=True)

    def assert_all_ended(self, seconds=20):
        wait_until(lambda: not any(alive(p) for p in self.started), seconds)
        left = [self.started[p] for p in self.started if alive(p)]
        self.assertEqual(left, [])

    def test_ctrl_c_ends_program_screen_and_loop(self):
        proc = self.start(display=None)
        os.killpg(proc.pid, signal.SIGINT)
        self.assertEqual(proc.wait(timeout=20), 130)
        self.assert_all_ended()

    def test_ending_the_script_alone_ends_the_rest(self):
        proc = self.start(display=None)
        proc.terminate()
        self.assertEqual(proc.wait(timeout=20), 143)
        self.assert_all_ended()

    def test_a_script_killed_outright_leaves_nothing_behind(self):
        proc = self.start(display=None)
        proc.kill()
        proc.wait(timeout=10)
        self.assert_all_ended()

    @unittest.skipUnless(os.environ.get("DISPLAY"), "needs a display (the tests run under xvfb-run)")
    def test_on_a_display_stopping_the_script_ends_the_program(self):
        proc = self.start(display=os.environ["DISPLAY"])
        proc.terminate()
        self.assertEqual(proc.wait(timeout=20), 143)
        self.assert_all_ended()


if __name__ == "__main__":
    EXE = os.path.abspath(sys.argv.pop(1))
    BUILD_DIR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
