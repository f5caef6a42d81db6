"""Disturbs qzcrypt while it encrypts and decrypts a folder, and checks after every
round that each file still exists intact, as the plain file or as a .qz file with
exactly the expected bytes; at the end one undisturbed decrypt must bring back every
file. The disturbance (--mode):

kill   qzcrypt is killed at random moments. Half the kills are SIGKILL; the others are
       SIGINT, SIGTERM or SIGHUP, some followed at once by a second signal, after which
       qzcrypt must end by the signal and leave no temporary file.
race   encrypt and decrypt run again and again at once on the folder, half the rounds
       with --force, so that each meets (and may replace) the other's outputs.
wrong  random wrong passwords (--runs of them): every file must fail, as a wrong password
       or as a name refusal, and nothing may change.
append a file grows while it is encrypted (--runs times): no appended byte may be lost.

With --strong (kill mode) the encrypted form is a .age file, and an intact one is one that
Debian's age decrypts to the original.

usage: kill_test.py QZCRYPT [--mode M] [--strong] [--seconds S] [--runs N] [--files N]
                    [--seed N] [--workdir DIR]
"""

import argparse
import hashlib
import os
import random
import shutil
import signal
import string
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import terminal_password as agetty  # noqa: E402
import qzref  # noqa: E402

PASSWORD = "kill test 口令"
FIXED_SIZES = [0, 1, 255, 256, 999, 1000, 1001, 4096, 65536, 500_999, 501_000, 1_000_000,
               3_000_000]


def is_temporary(name):
    return name.startswith("~qz") and name.endswith(".tmp") and len(name) == 13


def make_files(folder, count, rng, largest):
    originals = {}
    # Half spread evenly, half on a log scale so that small files count too.
    sizes = [n for n in FIXED_SIZES if n <= largest]
    sizes += [rng.randrange(largest) if i % 2 else int(largest ** rng.random())
              for i in range(count - len(sizes))]
    for i, size in enumerate(sizes[:count]):
        name = ("文件%02d.dat" if i % 5 == 0 else "file %02d.bin") % i
        data = rng.randbytes(size)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        originals[name] = data
    return originals


class State:
    def __init__(self, folder, originals, password, strong=False):
        self.folder = folder
        self.originals = originals
        self.password = password
        self.strong = strong
        self.extension = ".age" if strong else ".qz"
        self.worst_lost = 0
        self.expected = {name: qzref.expected_qz(name.encode("gbk"), data, password)
                         for name, data in originals.items()}
        self.temporaries = 0
        self.verified = {}  # (name, .age bytes) -> whether age opens them to the original

    def intact(self, name, blob):
        """Whether an encrypted file holds exactly the original."""
        if blob is None:
            return False
        if not self.strong:
            return blob == self.expected[name]
        key = (name, hashlib.sha256(blob).digest())
        if key not in self.verified:
            self.verified[key] = agetty.plaintext(blob, PASSWORD) == self.originals[name]
        return self.verified[key]

    def read(self, name):
        try:
            with open(os.path.join(self.folder, name), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def check(self):
        """Returns (lost, corrupt, plain, encrypted, problems) and removes the
        temporaries a kill left behind (counted in self.found)."""
        lost = corrupt = plain = encrypted = 0
        problems = []
        for name, data in self.originals.items():
            p = self.read(name)
            q = self.read(name + self.extension)
            q_intact = self.intact(name, q)
            if p is not None:
                plain += 1
                if p != data:
                    corrupt += 1
                    problems.append("%s: plain copy differs from the original" % name)
            if q is not None:
                encrypted += 1
                if not q_intact:
                    corrupt += 1
                    problems.append("%s%s: does not decrypt to the original"
                                    % (name, self.extension))
            if p != data and not q_intact:
                lost += 1
                problems.append("%s: lost" % name)
        known = set(self.originals) | {n + self.extension for n in self.originals}
        self.found = 0
        for name in os.listdir(self.folder):
            if is_temporary(name):
                self.found += 1
                self.temporaries += 1
                os.unlink(os.path.join(self.folder, name))
            elif name not in known:
                problems.append("unexpected file %s" % name)
        self.worst_lost = max(self.worst_lost, lost)
        return lost, corrupt, plain, encrypted, problems


def run(args, command, *extra, **kwargs):
    return subprocess.run([args.qzcrypt, command, "--quiet"] + list(extra) + [args.folder],
                          env=args.env, capture_output=True, **kwargs)


def kill_rounds(args, state, rng):
    rounds = kills = caught = 0
    failures = []
    deadline = time.time() + args.seconds
    while time.time() < deadline:
        command = "encrypt" if rounds % 2 == 0 else "decrypt"
        rounds += 1
        strong = ["--strong", "--work-factor", "10"] if args.strong and command == "encrypt" \
            else []
        # --force: a kill between the output's rename and the source's removal leaves
        # both forms, and only the user's consent lets the next run replace one.
        proc = subprocess.Popen([args.qzcrypt, command, "--quiet", "--force", "--password-file",
                                 args.pwfile] + strong + [args.folder], env=args.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        time.sleep(rng.uniform(0, 0.2))
        killed = proc.poll() is None
        signals = [signal.SIGKILL] if rng.random() < 0.5 else \
            rng.sample([signal.SIGINT, signal.SIGTERM, signal.SIGHUP], rng.choice((1, 2)))
        if killed:
            for sig in signals:
                proc.send_signal(sig)
            kills += 1
        stderr = proc.communicate()[1]
        lost, corrupt, plain, encrypted, problems = state.check()
        if killed and signals[0] != signal.SIGKILL:
            caught += 1
            if proc.returncode not in [-s for s in signals] and proc.returncode != 0:
                problems.append("ended with %d after %s" % (proc.returncode, signals))
            if state.found:
                problems.append("%d temporaries left after %s" % (state.found, signals))
        if not killed:
            if proc.returncode != 0:
                problems.append("%s ended with %d: %s" % (command, proc.returncode,
                                                          stderr.decode(errors="replace")))
            if command == "encrypt" and plain:
                problems.append("a finished encrypt left %d plain files" % plain)
            if command == "decrypt" and encrypted:
                problems.append("a finished decrypt left %d encrypted files" % encrypted)
        failures += ["round %d (%s%s): %s" % (rounds, command, ", killed" if killed else "", p)
                     for p in problems]
        if lost or corrupt:
            break  # the folder is no longer a fair starting point
    return failures, "%d rounds, %d kills (%d by catchable signals)" % (rounds, kills, caught)


def race_rounds(args, state, rng):
    rounds = runs = 0
    failures = []
    deadline = time.time() + args.seconds
    while time.time() < deadline:
        rounds += 1
        force = ["--force"] if rounds % 2 else []
        round_end = time.time() + 0.3

        def loop(command):
            nonlocal runs
            while time.time() < round_end:
                r = run(args, command, "--password-file", args.pwfile, *force)
                runs += 1
                if r.returncode not in (0, 1):
                    failures.append("round %d: %s ended with %d" % (rounds, command, r.returncode))

        threads = [threading.Thread(target=loop, args=(c,)) for c in ("encrypt", "decrypt")]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        lost, corrupt, _, _, problems = state.check()
        problems += ["%d temporaries left" % state.found] if state.found else []
        failures += ["round %d: %s" % (rounds, p) for p in problems]
        if lost or corrupt:
            break
    return failures, "%d rounds of 0.3 s, %d runs" % (rounds, runs)


def wrong_passwords(args, state, rng):
    for name, blob in state.expected.items():
        with open(os.path.join(args.folder, name + ".qz"), "wb") as f:
            f.write(blob)
        os.unlink(os.path.join(args.folder, name))
    failures = []
    wrong = refused = runs_refused = 0
    for i in range(args.runs):
        password = "".join(rng.choice(string.ascii_letters + string.digits)
                           for _ in range(rng.randrange(4, 17))).encode()
        r = run(args, "decrypt", "--password-stdin", input=password + b"\n")
        lines = r.stderr.decode(errors="replace").splitlines()
        run_wrong = sum(line.endswith(": wrong password") for line in lines)
        run_refused = sum("the name stored inside is" in line for line in lines)
        wrong, refused = wrong + run_wrong, refused + run_refused
        runs_refused += run_refused > 0
        _, corrupt, plain, encrypted, problems = state.check()
        if r.returncode != 1 or run_wrong + run_refused != len(state.originals) or \
                len(lines) != len(state.originals):
            problems.append("exit %d, %d wrong, %d refused"
                            % (r.returncode, run_wrong, run_refused))
        if corrupt or plain or encrypted != len(state.originals):
            problems.append("%d plain, %d .qz" % (plain, encrypted))
        failures += ["password %r: %s" % (password, p) for p in problems]
        if problems:
            break
    # The files share a key stream and nearly a name, so one password passes the header
    # test for almost all of them or for none.
    return failures, ("%d runs (%d with name refusals): %d wrong password, %d name refusals"
                      % (args.runs, runs_refused, wrong, refused))


def appends(args, state, rng):
    # A log file beside the others, large enough to take a while.
    name = "growing.log"
    path = os.path.join(args.folder, name)
    original = rng.randbytes(16_000_000)
    state.originals[name] = original
    chunk = b"appended line\n" * 300
    command = [args.qzcrypt, "encrypt", "--quiet", "--password-file", args.pwfile, path]
    kept = late = 0
    failures = []

    def reset():
        for ext in ("", ".qz"):
            if os.path.exists(path + ext):
                os.unlink(path + ext)
        with open(path, "wb") as f:
            f.write(original)

    for i in range(args.runs + 1):
        reset()
        if i == 0:  # how long a run takes: each append lands somewhere within one
            start = time.time()
            timed = subprocess.run(command, env=args.env, capture_output=True)
            duration = time.time() - start
            if timed.returncode != 0:
                failures.append("the timing run failed: %r" % timed.stderr)
            continue
        proc = subprocess.Popen(command, env=args.env, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0, duration))
        whole = original + chunk
        try:
            fd = os.open(path, os.O_WRONLY | os.O_APPEND)  # a writer that never creates it
            os.write(fd, chunk)
            os.close(fd)
        except FileNotFoundError:
            late += 1
            whole = original
        proc.communicate()
        plain, qz = state.read(name), state.read(name + ".qz")
        kept += plain == original + chunk
        if plain != whole and qz != qzref.expected_qz(name.encode(), whole, state.password):
            failures.append("append %d: appended bytes lost (exit %d)" % (i, proc.returncode))
    reset()  # as it was, for the final decrypt
    state.expected[name] = qzref.expected_qz(name.encode(), original, state.password)
    return failures, ("%d appends: the grown source kept %d times, the append after the "
                      "source was gone %d times, before the end was read the other %d"
                      % (args.runs, kept, late, args.runs - kept - late))


MODES = {"kill": kill_rounds, "race": race_rounds, "wrong": wrong_passwords, "append": appends}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("qzcrypt")
    parser.add_argument("--mode", choices=sorted(MODES), default="kill")
    parser.add_argument("--strong", action="store_true")
    parser.add_argument("--seconds", type=float, default=45)
    parser.add_argument("--runs", type=int, default=300)
    parser.add_argument("--workdir", default=None)
    parser.add_argument("--files", type=int, default=40)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    if args.strong and args.mode != "kill":
        parser.error("--strong goes with --mode kill")

    seed = args.seed if args.seed is not None else int(time.time())
    rng = random.Random(seed)
    if args.workdir:
        os.makedirs(args.workdir, exist_ok=True)
    root = tempfile.mkdtemp(prefix="qz%s-" % args.mode, dir=args.workdir)
    args.folder = os.path.join(root, "data")
    os.mkdir(args.folder)
    args.pwfile = os.path.join(root, "password")
    with open(args.pwfile, "wb") as f:
        f.write(PASSWORD.encode("utf-8") + b"\n")
    args.env = dict(os.environ, LC_ALL="C.UTF-8")
    # Racing and guessing want many quick files; killing wants some that take a while.
    largest = 3_000_000 if args.mode == "kill" else 20_000
    originals = make_files(args.folder, args.files, rng, largest)
    state = State(args.folder, originals, PASSWORD.encode("gbk"), args.strong)
    print("seed %d, %d files, %d bytes" % (seed, len(originals),
                                           sum(len(d) for d in originals.values())))

    failures, figures = MODES[args.mode](args, state, rng)

    # Whatever state the disturbance left, one undisturbed decrypt must bring back every
    # file: the right password is never refused.
    final = run(args, "decrypt", "--force", "--password-file", args.pwfile)
    lost, corrupt, plain, encrypted, problems = state.check()
    if final.returncode != 0:
        problems.append("final decrypt ended with %d: %s" % (final.returncode,
                                                            final.stderr.decode(errors="replace")))
    if plain != len(originals) or encrypted:
        problems.append("after the final decrypt: %d plain, %d encrypted" % (plain, encrypted))
    failures += ["final: " + p for p in problems]

    print("%s test: %s; %d files lost, %d temporaries found"
          % (args.mode, figures, state.worst_lost, state.temporaries))
    for failure in failures[:50]:
        print("FAIL " + failure)
    if failures:
        print("folder kept for inspection: " + root)
        return 1
    shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
