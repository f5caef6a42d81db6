#!/usr/bin/env python3
"""Runs a command on a pseudo-terminal and types a password at each of its prompts.

    pty_password.py PASSWORD_FILE COMMAND [ARG ...]

Both qzcrypt and age read a password from the terminal only, so a benchmark that runs
each through this same driver compares them on equal terms. A prompt is any output that
ends in ": " since the last answer. Exits with the command's status.
"""
import os
import pty
import sys


def main() -> int:
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], "rb") as f:
        password = f.read().split(b"\n", 1)[0]
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(sys.argv[2], sys.argv[2:])
    pending = b""
    while True:
        try:
            chunk = os.read(fd, 4096)
        except OSError:  # the command closed the terminal
            break
        if not chunk:
            break
        pending += chunk
        if pending.rstrip(b" ").endswith(b":"):
            os.write(fd, password + b"\n")
            pending = b""
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status)


if __name__ == "__main__":
    sys.exit(main())
