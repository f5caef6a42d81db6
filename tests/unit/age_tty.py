#!/usr/bin/env python3
"""Runs Debian's age with a passphrase typed at its terminal prompt.

age reads a passphrase only from the terminal, so it runs on a pseudo-terminal here and
gets AGE_TTY_PASSWORD (UTF-8) at each "passphrase" prompt (twice when encrypting).
Usage: AGE_TTY_PASSWORD=... age_tty.py AGE-ARGUMENTS...  Exit status: age's, or 124
when it does not finish within a minute."""

import os
import pty
import select
import sys
import time


def main() -> int:
    password = os.environ["AGE_TTY_PASSWORD"].encode("utf-8")
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp("age", ["age"] + sys.argv[1:])
    seen = b""
    answered = 0
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], 1.0)
        if not ready:
            continue
        try:
            data = os.read(fd, 4096)
        except OSError:  # the child closed the terminal
            break
        if not data:
            break
        seen += data
        while answered < seen.lower().count(b"passphrase"):
            os.write(fd, password + b"\n")
            answered += 1
    else:
        os.kill(pid, 9)
        os.waitpid(pid, 0)
        return 124
    _, status = os.waitpid(pid, 0)
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.stderr.write(seen.decode("utf-8", "replace"))
    return code


if __name__ == "__main__":
    sys.exit(main())
