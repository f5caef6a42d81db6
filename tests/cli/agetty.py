"""Debian's age as the independent reader and writer of strong files. age reads its
passphrase from the terminal only, so it runs on a pseudo-terminal and the password is
typed after each prompt appears."""

import os
import pty
import select
import shutil
import tempfile
import time

AGE = shutil.which("age")
DECRYPT_PROMPTS = [b"Enter passphrase: "]
ENCRYPT_PROMPTS = [b"Enter passphrase", b"Confirm passphrase: "]


def on_tty(args, password, prompts, cwd=None, env=None):
    """Runs age with a pseudo-terminal as its terminal, typing the password (text) after
    each prompt. Returns (exit status, transcript)."""
    pid, fd = pty.fork()
    if pid == 0:
        try:
            if cwd:
                os.chdir(cwd)
            os.execve(AGE, [AGE] + args, env if env is not None else dict(os.environ))
        finally:
            os._exit(127)
    transcript = b""
    pos = 0

    def read(timeout):
        ready, _, _ = select.select([fd], [], [], timeout)
        if not ready:
            return None
        try:
            return os.read(fd, 4096)
        except OSError:  # EIO once age has gone
            return b""

    try:
        for prompt in prompts:
            deadline = time.time() + 30
            while prompt not in transcript[pos:]:
                chunk = read(max(0, deadline - time.time()))
                if not chunk:
                    raise AssertionError("age did not ask %r: %r" % (prompt, transcript))
                transcript += chunk
            pos = transcript.index(prompt, pos) + len(prompt)
            os.write(fd, password.encode() + b"\n")
        while True:
            chunk = read(60)
            if not chunk:
                break
            transcript += chunk
    finally:
        os.close(fd)
        _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), transcript


def decrypt_file(path, output, password, env=None):
    return on_tty(["-d", "-o", output, path], password, DECRYPT_PROMPTS, env=env)


def encrypt_file(path, output, password, armor=False, env=None):
    args = ["-p"] + (["-a"] if armor else []) + ["-o", output, path]
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
