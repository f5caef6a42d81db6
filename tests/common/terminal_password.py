#!/usr/bin/env python3
"""Types a password at a program's terminal prompts: Debian's age, and qzcrypt without a
password option, read a password from their terminal only.

As a module: on_tty() and the age helpers below. As a command, for tests in other
languages and for benchmarks (both tools then start on equal terms):

    TTY_PASSWORD=... terminal_password.py COMMAND [ARG ...]

answers every prompt (output ending in ":") with TTY_PASSWORD and exits with the
command's status, or 124 when it does not finish within a minute.
"""

import os
import pty
import select
import shutil
import sys
import tempfile
import time

AGE = shutil.which("age")
DECRYPT_PROMPTS = [b"Enter passphrase: "]
ENCRYPT_PROMPTS = [b"Enter passphrase", b"Confirm passphrase: "]


def on_tty(argv, password, prompts=None, env=None, timeout=60):
    """Runs argv with a pseudo-terminal as its terminal and types the password (text)
    after each prompt: each of prompts in turn, or, without them, whenever the output
    ends in ":". Returns (exit status, transcript); 124 when it did not end in time."""
    pid, fd = pty.fork()
    if pid == 0:
        try:
            os.execvpe(argv[0], argv, env if env is not None else dict(os.environ))
        finally:
            os._exit(127)
    typed = password.encode() + b"\n"
    transcript = pending = b""
    waiting = list(prompts) if prompts is not None else None
    deadline = time.monotonic() + timeout
    try:
        while time.monotonic() < deadline:
            ready, _, _ = select.select([fd], [], [], max(0, deadline - time.monotonic()))
            if not ready:
                continue
            try:
                chunk = os.read(fd, 4096)
            except OSError:  # EIO once the program has closed the terminal
                break
            if not chunk:
                break
            transcript += chunk
            pending += chunk
            if waiting is None:
                if pending.rstrip().endswith(b":"):
                    os.write(fd, typed)
                    pending = b""
            elif waiting and waiting[0] in pending:
                pending = pending[pending.index(waiting[0]) + len(waiting.pop(0)):]
                os.write(fd, typed)
        else:
            os.kill(pid, 9)
            os.waitpid(pid, 0)
            return 124, transcript
    finally:
        os.close(fd)
    _, status = os.waitpid(pid, 0)
    if waiting:
        raise AssertionError("%s did not ask %r: %r" % (argv[0], waiting[0], transcript))
    return os.waitstatus_to_exitcode(status), transcript


def decrypt_file(path, output, password, env=None):
    return on_tty([AGE, "-d", "-o", output, path], password, DECRYPT_PROMPTS, env=env)


def encrypt_file(path, output, password, armor=False, env=None):
    args = [AGE, "-p"] + (["-a"] if armor else []) + ["-o", output, path]
    return on_tty(args, password, ENCRYPT_PROMPTS, env=env)


def read_output(path):
    """What age wrote: it creates its output on the first write, so an empty plaintext
    leaves none."""
    if not os.path.exists(path):
        return b""
    with open(path, "rb") as f:
        return f.read()


def plaintext(blob, password):
    """What age makes of a file's bytes, or None when it refuses them."""
    folder = tempfile.mkdtemp(prefix="agetty-")
    try:
        source, output = os.path.join(folder, "in.age"), os.path.join(folder, "out")
        with open(source, "wb") as f:
            f.write(blob)
        status, _ = decrypt_file(source, output, password)
        return read_output(output) if status == 0 else None
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) < 2 or "TTY_PASSWORD" not in os.environ:
        sys.stderr.write(__doc__)
        return 2
    status, transcript = on_tty(sys.argv[1:], os.environ["TTY_PASSWORD"])
    if status != 0:
        sys.stderr.write(transcript.decode("utf-8", "replace"))
    return status


if __name__ == "__main__":
    sys.exit(main())
