"""An independent reference for .qz files: MD5 from hashlib, RC4 written here or
taken from openssl, never from the engine under test."""

import functools
import hashlib
import shutil
import subprocess

HEADER_BYTES = 256
DEFAULT_PASSWORD = b"QX31742#MVB"


def qz_key(password: bytes) -> bytes:
    """The 16-byte RC4 key: 5 digest bytes and 11 zero bytes."""
    return hashlib.md5(password).digest()[:5] + bytes(11)


def _rc4(key: bytes, n: int) -> bytes:
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out = bytearray(n)
    i = j = 0
    for k in range(n):
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out[k] = s[(s[i] + s[j]) & 0xFF]
    return bytes(out)


@functools.lru_cache(maxsize=8)
def _stream_cached(key: bytes, n: int) -> bytes:
    # openssl is much faster for the megabytes a large file needs.
    if n > 65536:
        stream = openssl_rc4(key, bytes(n))
        if stream is not None:
            return stream
    return _rc4(key, n)


def keystream(key: bytes, n: int) -> bytes:
    """Key-stream bytes 0..n-1, cached in power-of-two lengths."""
    size = 1024
    while size < n:
        size *= 2
    return _stream_cached(key, size)[:n]


def xor(data: bytes, stream: bytes) -> bytes:
    if not data:
        return b""
    n = len(data)
    value = int.from_bytes(data, "little") ^ int.from_bytes(stream[:n], "little")
    return value.to_bytes(n, "little")


def header_plain(name: bytes) -> bytes:
    """The header as readers see it: the name, a NUL, and zeros for the filler (a writer
    fills it with random bytes)."""
    return (name[:HEADER_BYTES] + bytes(HEADER_BYTES))[:HEADER_BYTES]


def named_bytes(name: bytes) -> int:
    """How many header bytes the name fixes: the name and its NUL. The rest is filler."""
    return min(len(name) + 1, HEADER_BYTES)


class ExpectedQz(bytes):
    """The bytes of a .qz file with zero filler. Compared with a written file it is equal
    when they differ only in the header's filler after the name's NUL, which writers
    fill with random bytes and readers ignore; the name's bytes, the NUL and the body
    must match exactly."""

    def __new__(cls, data: bytes, named: int):
        obj = super().__new__(cls, data)
        obj.named = named
        return obj

    def __eq__(self, other):
        if not isinstance(other, (bytes, bytearray)) or len(other) != len(self):
            return False
        fixed = bytes(self)
        return (bytes(other[:self.named]) == fixed[:self.named]
                and bytes(other[HEADER_BYTES:]) == fixed[HEADER_BYTES:])

    def __ne__(self, other):
        return not self.__eq__(other)

    __hash__ = None


def expected_qz(name: bytes, data: bytes, password: bytes) -> bytes:
    """The .qz file for a plain file (an ExpectedQz: equal to any file that differs from it
    only in the header's filler)."""
    key = qz_key(password)
    stream = keystream(key, max(HEADER_BYTES, len(data)))
    return ExpectedQz(xor(header_plain(name), stream) + xor(data, stream), named_bytes(name))


def decrypt_qz(blob: bytes, password: bytes):
    """(header plaintext, body plaintext)."""
    key = qz_key(password)
    stream = keystream(key, max(HEADER_BYTES, len(blob)))
    return xor(blob[:HEADER_BYTES], stream), xor(blob[HEADER_BYTES:], stream)


def openssl_rc4(key: bytes, data: bytes):
    """RC4 by openssl, or None when openssl or its legacy provider is missing."""
    if not shutil.which("openssl"):
        return None
    cmd = ["openssl", "enc", "-rc4", "-provider", "legacy", "-provider", "default",
           "-K", key.hex(), "-nosalt"]
    proc = subprocess.run(cmd, input=data, capture_output=True)
    if proc.returncode != 0:
        return None
    return proc.stdout
