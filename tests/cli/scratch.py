"""Scratch folders for the long qzcrypt checks: made under --workdir, removed when every
check passed, kept for inspection otherwise."""

import argparse
import os
import random
import shutil
import tempfile
import time


def parser():
    """The arguments every check takes: the binary, --seed and --workdir."""
    p = argparse.ArgumentParser()
    p.add_argument("qzcrypt")
    p.add_argument("--seed", type=int, default=None)
    p.add_argument("--workdir", default=None)
    return p


def rng(args):
    """A generator from --seed or the clock; the seed is printed so a run can be repeated."""
    seed = args.seed if args.seed is not None else int(time.time())
    print("seed %d" % seed)
    return random.Random(seed)


def make(prefix, workdir):
    """(root, root/data), both new."""
    if workdir:
        os.makedirs(workdir, exist_ok=True)
    root = tempfile.mkdtemp(prefix=prefix, dir=workdir)
    folder = os.path.join(root, "data")
    os.mkdir(folder)
    return root, folder


def finish(root, failures):
    """Prints the failures and returns the exit status."""
    for failure in failures[:50]:
        print("FAIL " + failure)
    if len(failures) > 50:
        print("(%d more failures)" % (len(failures) - 50))
    if failures:
        print("folder kept for inspection: " + root)
        return 1
    shutil.rmtree(root, ignore_errors=True)
    return 0
