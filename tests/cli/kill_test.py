"""Kills qzcrypt at random moments while it encrypts and decrypts a folder, and checks
after every kill that each file still exists intact, as the plain file or as a .qz file
with exactly the expected bytes. Half the kills are SIGKILL; the others are SIGINT,
SIGTERM or SIGHUP, some followed at once by a second signal, after which qzcrypt must
end by the signal and leave no temporary file.

usage: kill_test.py QZCRYPT [--seconds S] [--workdir DIR] [--files N] [--seed N]
"""

import argparse
import os
import random
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qzref  # noqa: E402
import scratch  # noqa: E402

PASSWORD = "kill test 口令"
FIXED_SIZES = [0, 1, 255, 256, 999, 1000, 1001, 4096, 65536, 500_999, 501_000, 1_000_000,
               3_000_000]


def is_temporary(name):
    return name.startswith("~qz") and name.endswith(".tmp") and len(name) == 13


def make_files(folder, count, rng):
    originals = {}
    # Half spread evenly up to 3 MB, half on a log scale so that small files count too.
    sizes = FIXED_SIZES + [rng.randrange(3_000_000) if i % 2 else int(3_000_000 ** rng.random())
                           for i in range(count - len(FIXED_SIZES))]
    for i, size in enumerate(sizes[:count]):
        name = ("文件%02d.dat" if i % 5 == 0 else "file %02d.bin") % i
        data = rng.randbytes(size)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        originals[name] = data
    return originals


class State:
    def __init__(self, folder, originals, password):
        self.folder = folder
        self.originals = originals
        self.expected = {name: qzref.expected_qz(name.encode("gbk"), data, password)
                         for name, data in originals.items()}
        self.temporaries = 0

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
            q = self.read(name + ".qz")
            if p is not None:
                plain += 1
                if p != data:
                    corrupt += 1
                    problems.append("%s: plain copy differs from the original" % name)
            if q is not None:
                encrypted += 1
                if q != self.expected[name]:
                    corrupt += 1
                    problems.append("%s.qz: does not decrypt to the original" % name)
            if p != data and q != self.expected[name]:
                lost += 1
                problems.append("%s: lost" % name)
        known = set(self.originals) | {n + ".qz" for n in self.originals}
        self.found = 0
        for name in os.listdir(self.folder):
            if is_temporary(name):
                self.found += 1
                self.temporaries += 1
                os.unlink(os.path.join(self.folder, name))
            elif name not in known:
                problems.append("unexpected file %s" % name)
        return lost, corrupt, plain, encrypted, problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("qzcrypt")
    parser.add_argument("--seconds", type=float, default=45)
    parser.add_argument("--workdir", default=None)
    parser.add_argument("--files", type=int, default=40)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()

    seed = args.seed if args.seed is not None else int(time.time())
    rng = random.Random(seed)
    root, folder = scratch.make("qzkill-", args.workdir)
    pwfile = os.path.join(root, "password")
    with open(pwfile, "wb") as f:
        f.write(PASSWORD.encode("utf-8") + b"\n")

    env = dict(os.environ, LC_ALL="C.UTF-8")
    originals = make_files(folder, args.files, rng)
    state = State(folder, originals, PASSWORD.encode("gbk"))
    print("seed %d, %d files, %d bytes" % (seed, len(originals),
                                           sum(len(d) for d in originals.values())))

    rounds = kills = caught = worst_lost = 0
    failures = []
    deadline = time.time() + args.seconds
    while time.time() < deadline:
        command = "encrypt" if rounds % 2 == 0 else "decrypt"
        rounds += 1
        # --force: a kill between the output's rename and the source's removal leaves
        # both forms, and only the user's consent lets the next run replace one.
        proc = subprocess.Popen([args.qzcrypt, command, "--quiet", "--force", "--password-file",
                                 pwfile, folder], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)
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
        worst_lost = max(worst_lost, lost)
        if killed and signals[0] != signal.SIGKILL and proc.returncode is not None:
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
                problems.append("a finished decrypt left %d .qz files" % encrypted)
        for problem in problems:
            failures.append("round %d (%s%s): %s" % (rounds, command,
                                                     ", killed" if killed else "", problem))
        if lost or corrupt:
            break  # the folder is no longer a fair starting point

    # Whatever state the kills left, one undisturbed decrypt must bring back every file.
    final = subprocess.run([args.qzcrypt, "decrypt", "--quiet", "--force", "--password-file",
                            pwfile, folder], env=env, capture_output=True)
    lost, corrupt, plain, encrypted, problems = state.check()
    worst_lost = max(worst_lost, lost)
    if final.returncode != 0:
        problems.append("final decrypt ended with %d: %s" % (final.returncode,
                                                            final.stderr.decode(errors="replace")))
    if plain != len(originals) or encrypted:
        problems.append("after the final decrypt: %d plain, %d .qz" % (plain, encrypted))
    failures += ["final: " + p for p in problems]

    print("kill test: %d rounds, %d kills (%d by catchable signals), %d files lost, "
          "%d temporaries left by kills" % (rounds, kills, caught, worst_lost, state.temporaries))
    return scratch.finish(root, failures)


if __name__ == "__main__":
    sys.exit(main())
