"""Changes made to a folder while qzcrypt works on it must cost nothing.

Race: `qzcrypt encrypt` and `qzcrypt decrypt` run at once on one folder holding some
files plain and some encrypted, each again and again; afterwards each file must exist intact under its own
name, plain or as its exact .qz. Append: a file grows while it is encrypted; the
appended bytes must survive in the kept source or in the .qz.

usage: race_test.py QZCRYPT [--rounds N] [--seconds S] [--appends N] [--files N] [--seed N]
                    [--workdir DIR]
"""

import os
import subprocess
import sys
import threading
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qzref  # noqa: E402
import scratch  # noqa: E402

PASSWORD = b"race"


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def race(qzcrypt, folder, pwfile, rounds, count, seconds, rng, env):
    originals = {"r%02d.dat" % i: rng.randbytes(rng.randrange(0, 20_000)) for i in range(count)}
    encrypted = {n: qzref.expected_qz(n.encode(), d, PASSWORD) for n, d in originals.items()}
    lost = aside = both = clashes = runs = 0
    problems = []
    for round_ in range(rounds):
        for name in os.listdir(folder):
            os.unlink(os.path.join(folder, name))
        for name, data in originals.items():
            if rng.random() < 0.5:
                write(os.path.join(folder, name), data)
            else:
                write(os.path.join(folder, name + ".qz"), encrypted[name])
        # Each command again and again from its own thread for a while, so that each
        # meets the other's outputs the moment they appear. With --force each may replace
        # what the other has just written: the harder case.
        force = ["--force"] if round_ % 2 else []
        deadline = time.time() + seconds

        def loop(command):
            nonlocal runs, clashes
            while time.time() < deadline:
                r = subprocess.run([qzcrypt, command, "--quiet", "--password-file", pwfile,
                                    folder] + force, env=env, capture_output=True)
                runs += 1
                clashes += r.stderr.count(b"\n")
                if r.returncode not in (0, 1):
                    problems.append("round %d: %s ended with %d" % (round_, command, r.returncode))

        threads = [threading.Thread(target=loop, args=(c,)) for c in ("encrypt", "decrypt")]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        temporaries = [read(os.path.join(folder, n)) for n in os.listdir(folder)
                       if n.startswith("~qz")]
        for name, data in originals.items():
            plain = read(os.path.join(folder, name))
            qz = read(os.path.join(folder, name + ".qz"))
            if plain == data and qz == encrypted[name]:
                both += 1
            if plain != data and qz != encrypted[name]:
                if data in temporaries or encrypted[name] in temporaries:
                    aside += 1
                    problems.append("round %d: %s only under a temporary name" % (round_, name))
                else:
                    lost += 1
                    problems.append("round %d: %s lost" % (round_, name))
    print("race: %d rounds of %.1f s (half with --force) over %d files, %d runs in all: "
          "%d files lost, %d kept only under a temporary name, %d times both forms kept, "
          "%d failures reported" % (rounds, seconds, count, runs, lost, aside, both, clashes))
    return problems


def append(qzcrypt, folder, pwfile, rounds, rng, env):
    original = rng.randbytes(16_000_000)
    chunk = b"appended line\n" * 300
    lost = kept = before = late = 0
    problems = []
    path = os.path.join(folder, "log.txt")
    write(path, original)
    start = time.time()
    subprocess.run([qzcrypt, "encrypt", "--quiet", "--password-file", pwfile, path], env=env)
    duration = time.time() - start  # the appends land anywhere within such a run
    for round_ in range(rounds):
        for name in os.listdir(folder):
            os.unlink(os.path.join(folder, name))
        write(path, original)
        proc = subprocess.Popen([qzcrypt, "encrypt", "--quiet", "--password-file", pwfile, path],
                                env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        time.sleep(rng.uniform(0, duration))
        try:
            fd = os.open(path, os.O_WRONLY | os.O_APPEND)  # a writer that never creates it
            os.write(fd, chunk)
            os.close(fd)
            appended = True
        except FileNotFoundError:
            appended = False
        proc.communicate()
        plain, qz = read(path), read(path + ".qz")
        whole = original + chunk if appended else original
        if plain == whole:
            kept += plain is not None and appended
        elif qz == qzref.expected_qz(b"log.txt", whole, PASSWORD):
            before += appended
        else:
            lost += 1
            problems.append("append round %d: appended bytes lost (exit %d)"
                            % (round_, proc.returncode))
        late += not appended
    print("append: %d rounds: %d times the grown source was kept, %d times the append came "
          "before the end was read, %d times it came after the source was gone, %d lost"
          % (rounds, kept, before, late, lost))
    return problems


def main():
    parser = scratch.parser()
    parser.add_argument("--rounds", type=int, default=40)
    parser.add_argument("--appends", type=int, default=20)
    parser.add_argument("--files", type=int, default=20)
    parser.add_argument("--seconds", type=float, default=0.3, help="length of a race round")
    args = parser.parse_args()
    rng = scratch.rng(args)
    root, folder = scratch.make("qzrace-", args.workdir)
    pwfile = os.path.join(root, "password")
    write(pwfile, PASSWORD + b"\n")
    env = dict(os.environ, LC_ALL="C.UTF-8")
    problems = race(args.qzcrypt, folder, pwfile, args.rounds, args.files, args.seconds, rng,
                    env)
    problems += append(args.qzcrypt, folder, pwfile, args.appends, rng, env)
    return scratch.finish(root, problems)


if __name__ == "__main__":
    sys.exit(main())
