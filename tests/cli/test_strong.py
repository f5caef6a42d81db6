"""Black-box tests of qzcrypt's strong (.age) files: interop with Debian's age both ways
(agetty), the rejections, upgrade from .qz, and the password rules.

usage: test_strong.py QZCRYPT [unittest arguments]
"""

import base64
import os
import re
import shutil
import signal
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import terminal_password as agetty  # noqa: E402
import qzref  # noqa: E402
import test_qzcrypt as base  # noqa: E402

AGE = agetty.AGE
AGE_KEYGEN = shutil.which("age-keygen")
ASCII_PW = "s3cret"
CHINESE_PW = "密码测试"
SIZES = [0, 1, 65536, 65537, 200 * 1024]
CHUNK = 65536 + 16
PASSWORD_BYTES = base.PASSWORD


def age_decrypt(path, output, password):
    return agetty.decrypt_file(path, output, password, env=base.env_for())


def age_encrypt(path, output, password, armor=False):
    return agetty.encrypt_file(path, output, password, armor, env=base.env_for())


def split_age(blob):
    """(header up to and including the MAC line, payload)."""
    mac = blob.index(b"\n--- ") + 1
    end = blob.index(b"\n", mac) + 1
    return blob[:end], blob[end:]


def work_factor_of(blob):
    return int(re.match(rb"age-encryption\.org/v1\n-> scrypt \S{22} (\d+)\n", blob).group(1))


def content_for(size):
    return os.urandom(size)


class StrongBase(base.Base):
    def setUp(self):
        super().setUp()
        self.assertIsNotNone(AGE, "Debian's age is needed for these tests")

    def use_password(self, text):
        self.write_password(text.encode() + b"\n")

    def age_open(self, path, password):
        """The plaintext age makes of a file, or fails the test."""
        out = os.path.join(self.dir, "age-out")
        if os.path.exists(out):
            os.unlink(out)
        status, transcript = age_decrypt(path, out, password)
        self.assertEqual(status, 0, transcript)
        return agetty.read_output(out)

    def encrypt_strong(self, name, content, *extra):
        path = self.put(name, content)
        r = self.run_qz("encrypt", "--strong", "--work-factor", "10", *extra, path)
        self.assertEqual(r.returncode, 0, r.stderr)
        return path + ".age"


class StrongInteropTest(StrongBase):
    def test_qzcrypt_files_open_with_age(self):
        for password in (ASCII_PW, CHINESE_PW):
            with self.subTest(password=password):
                self.use_password(password)
                originals = {"f%d.bin" % size: content_for(size) for size in SIZES}
                for name, content in originals.items():
                    self.put(name, content)
                r = self.run_qz("encrypt", "--strong", "--work-factor", "10", self.data)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertIn("encrypted %s -> %s.age\n" % (
                    os.path.join(self.data, "f0.bin"), os.path.join(self.data, "f0.bin")),
                    r.stdout.decode())
                self.assertEqual(self.listing(), sorted(n + ".age" for n in originals))
                # The run's keys were made ahead, a stanza (salt and file key) for each file.
                stanzas = {tuple(self.read(os.path.join(self.data, n + ".age")).split(b"\n")[1:3])
                           for n in originals}
                self.assertEqual(len(stanzas), len(originals))
                for name, content in originals.items():
                    path = os.path.join(self.data, name + ".age")
                    blob = self.read(path)
                    self.assertEqual(work_factor_of(blob), 10)
                    self.assertEqual(len(split_age(blob)[1]),
                                     16 + len(content) + 16 * max(1, -(-len(content) // 65536)),
                                     "binary, 64 KiB chunks")
                    self.assertEqual(self.age_open(path, password), content, name)
                    os.unlink(path)
                self.assert_no_temporaries()

    def test_age_files_open_with_qzcrypt(self):
        # One age -p file per size (each costs a second of scrypt), armored or not, and
        # either password; one name in capitals.
        made = {}
        for i, size in enumerate(SIZES):
            password = CHINESE_PW if i % 2 else ASCII_PW
            armor = i in (1, 4)
            name = "a%d.bin" % size
            content = content_for(size)
            plain = os.path.join(self.dir, name)
            with open(plain, "wb") as f:
                f.write(content)
            suffix = ".AGE" if size == 0 else ".age"
            status, transcript = age_encrypt(plain, os.path.join(self.data, name + suffix),
                                             password, armor)
            self.assertEqual(status, 0, transcript)
            made[name] = (password, content, suffix)
        self.assertTrue(self.read(os.path.join(self.data, "a1.bin.age")).startswith(
            b"-----BEGIN AGE ENCRYPTED FILE-----\n"))

        for password in (ASCII_PW, CHINESE_PW):
            self.use_password(password)
            mine = [n + s for n, (p, _, s) in made.items() if p == password]
            r = self.run_qz("decrypt", *[os.path.join(self.data, n) for n in mine])
            self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.listing(), sorted(made))
        for name, (_, content, _) in made.items():
            self.assertEqual(self.read(os.path.join(self.data, name)), content, name)
        self.assert_no_temporaries()

    def test_armor_trailers_are_taken_exactly_as_age_takes_them(self):
        b64 = base64.b64encode(self.read(self.encrypt_strong("t.bin", b"armored"))).decode()
        armored = ("-----BEGIN AGE ENCRYPTED FILE-----\n%s\n-----END AGE ENCRYPTED FILE-----\n"
                   % "\n".join(b64[i:i + 64] for i in range(0, len(b64), 64))).encode()
        spaces = " \t\n\r\v\f\x85\xa0\u1680\u2000\u2005\u200a\u2028\u2029\u202f\u205f\u3000"
        trailers = [c.encode() for c in spaces + "\u200b\ufeff\u180ex"] + [
            b"\r\n", b" " * 1023, b" " * 1024, "\u3000".encode() * 341,
            b" " + "\u3000".encode() * 341, b" \0", b"\x85", b"\xc2", b"\xe2\x80"]
        for i, trailer in enumerate(trailers):
            path = self.put("t%d.bin.age" % i, armored + trailer)
            status, transcript = age_decrypt(path, os.path.join(self.dir, "out"), ASCII_PW)
            self.assertEqual(self.run_qz("decrypt", path).returncode == 0, status == 0, (i, transcript))
        self.assertEqual(sum(n.endswith(".bin") for n in self.listing()), len(spaces) + 3)


class StrongFailureTest(StrongBase):
    def test_rejections_keep_the_file_and_write_nothing(self):
        good = self.read(self.encrypt_strong("r.bin", content_for(200 * 1024)))
        os.unlink(os.path.join(self.data, "r.bin.age"))
        header, payload = split_age(good)
        body = len(header) + 16  # the first chunk's first byte
        stanza = re.search(rb"-> scrypt .*\n.*\n", header).group(0)
        salt = header.index(b"-> scrypt ") + 10
        mac = header.index(b"\n--- ") + 15

        def replace_char(blob, at):
            alphabet = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
            other = alphabet[(alphabet.index(blob[at]) + 1) % 64]
            return blob[:at] + bytes([other]) + blob[at + 1:]

        def flip(blob, at):
            return blob[:at] + bytes([blob[at] ^ 0x01]) + blob[at + 1:]

        cases = {
            "another salt": (replace_char(good, salt + 5), "wrong password"),
            "changed MAC": (replace_char(good, mac), "damaged or changed file"),
            "first chunk": (flip(good, body + 100), "damaged or changed file"),
            "last chunk": (flip(good, len(good) - 5), "damaged or changed file"),
            "cut after a full chunk": (good[:body + 3 * CHUNK], "damaged or changed file"),
            "no chunk at all": (good[:body], "damaged or changed file"),
            "data after the last chunk": (good + b"\0", "damaged or changed file"),
            "work factor 23": (re.sub(rb"^(-> scrypt \S+ )10\n", rb"\g<1>23\n", good, flags=re.M),
                               "the file asks for work factor 23, more than 22"),
            "two stanzas": (good.replace(stanza, stanza + stanza), "damaged or changed file"),
            "X25519 recipient": (self.x25519_file(), "not a passphrase file (encrypted to "
                                                     "other recipients)"),
        }
        self.assertNotEqual(cases["work factor 23"][0], good)
        self.use_password(ASCII_PW)
        for what, (blob, message) in cases.items():
            with self.subTest(what):
                path = self.put("r.bin.age", blob)
                r = self.run_qz("decrypt", path)
                self.assertEqual(r.returncode, 1, r.stderr)
                self.assertEqual(r.stderr.decode(),
                                 "qzcrypt: cannot decrypt %s: %s\n" % (path, message))
                self.assertEqual(self.listing(), ["r.bin.age"])
                self.assertEqual(self.read(path), blob)

        self.write_password(b"not the password\n")
        path = self.put("r.bin.age", good)
        r = self.run_qz("decrypt", path)
        self.assertEqual((r.returncode, r.stderr.decode()),
                         (1, "qzcrypt: cannot decrypt %s: wrong password\n" % path))
        self.assertEqual(self.listing(), ["r.bin.age"])
        self.use_password(ASCII_PW)  # the untouched file still opens
        self.assertEqual(self.run_qz("decrypt", path).returncode, 0)
        self.assertEqual(self.listing(), ["r.bin"])

    def x25519_file(self):
        key = os.path.join(self.dir, "key.txt")
        subprocess.run([AGE_KEYGEN, "-o", key], check=True, capture_output=True)
        with open(key) as f:
            recipient = re.search(r"public key: (age1\w+)", f.read()).group(1)
        plain = os.path.join(self.dir, "x.txt")
        with open(plain, "wb") as f:
            f.write(b"to a key")
        r = subprocess.run([AGE, "-r", recipient, plain], check=True, capture_output=True)
        self.assertEqual(subprocess.run([AGE, "-d", "-i", key], input=r.stdout,
                                        capture_output=True).stdout, b"to a key")
        return r.stdout

    def test_check_reads_the_whole_file_and_writes_nothing(self):
        self.use_password(ASCII_PW)
        right = self.encrypt_strong("c.bin", content_for(70_000))
        blob = self.read(right)
        damaged = blob[:-1] + bytes([blob[-1] ^ 0x80])
        bad = self.put("d.bin.age", damaged)
        qz = self.put("q.txt.qz", qzref.expected_qz(b"q.txt", b"qz", ASCII_PW.encode()))
        before = {n: self.read(os.path.join(self.data, n)) for n in self.listing()}
        r = self.run_qz("check", right, qz)
        self.assertEqual((r.returncode, r.stdout.decode()),
                         (0, "%s: the password opens it\n%s: the password opens it\n" % (right, qz)))
        r = self.run_qz("check", self.data)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr.decode(), "qzcrypt: cannot check %s: damaged or changed file\n"
                         % bad)
        self.write_password(b"wrong\n")
        r = self.run_qz("check", right)
        self.assertEqual((r.returncode, r.stderr.decode()),
                         (1, "qzcrypt: %s: wrong password (the password does not open it)\n"
                          % right))
        self.assertEqual({n: self.read(os.path.join(self.data, n)) for n in self.listing()},
                         before)

    def test_work_factor_and_strong_are_checked_as_options(self):
        path = self.put("u.txt", b"u")
        for args in (["encrypt", "--strong", "--work-factor", "9", path],
                     ["encrypt", "--strong", "--work-factor=23", path],
                     ["encrypt", "--strong", "--work-factor", "1x", path],
                     ["encrypt", "--strong", path, "--work-factor"],
                     ["encrypt", "--work-factor", "12", path],
                     ["decrypt", "--work-factor", "12", path + ".age"],
                     ["decrypt", "--strong", path + ".age"],
                     ["check", "--strong", path + ".age"]):
            with self.subTest(args=args):
                r = self.run_qz(*args)
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertIn(b"--help", r.stderr)
        self.assertEqual(self.listing(), ["u.txt"])
        # 22 is taken (a missing file fails after the options were read); a run at 22
        # would need 4 GiB.
        r = self.run_qz("upgrade", "--work-factor=22", path + ".qz")
        self.assertEqual((r.returncode, r.stderr.decode()),
                         (1, "qzcrypt: %s.qz: no such file or folder\n" % path))
        r = self.run_qz("encrypt", "--strong", "--work-factor=11", "--keep", path)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(work_factor_of(self.read(path + ".age")), 11)

    def test_signal_stops_a_strong_file_and_keeps_its_source(self):
        big = self.put("big.bin", b"")
        os.truncate(big, 2 << 30)
        proc = subprocess.Popen([base.QZCRYPT, "encrypt", "--strong", "--work-factor", "10",
                                 "--password-file", self.pwfile, big],
                                stderr=subprocess.PIPE, env=base.env_for(),
                                preexec_fn=base.limit_output_size)
        while not any(n.startswith("~qz") for n in self.listing()):
            self.assertIsNone(proc.poll(), "no temporary output appeared")
        proc.send_signal(signal.SIGTERM)
        _, err = proc.communicate(timeout=60)
        self.assertEqual(proc.returncode, -signal.SIGTERM, err)
        self.assertIn(b"interrupted; " + big.encode() + b" is as it was", err)
        self.assertEqual(self.listing(), ["big.bin"])


class UpgradeTest(StrongBase):
    def test_upgrade_gives_a_file_age_opens_with_the_same_password(self):
        self.use_password(CHINESE_PW)
        content = content_for(100_000)
        path = self.put("报告.txt", content)
        self.assertEqual(self.run_qz("encrypt", path).returncode, 0)
        r = self.run_qz("upgrade", path + ".qz")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.decode(), "upgraded %s.qz -> %s.age\n" % (path, path))
        self.assertEqual(self.listing(), ["报告.txt.age"])
        blob = self.read(path + ".age")
        self.assertEqual(work_factor_of(blob), 18, "the default work factor")
        self.assertEqual(self.age_open(path + ".age", CHINESE_PW), content)

    def test_upgrade_keeps_the_qz_until_it_succeeds(self):
        self.use_password(ASCII_PW)
        qz = qzref.expected_qz(b"u.txt", b"upgrade me", ASCII_PW.encode())
        path = self.put("u.txt.qz", qz)
        self.put("other.txt", b"plain")
        strong = self.encrypt_strong("s.txt", b"already strong")
        renamed = self.put("new.txt.qz", qzref.expected_qz(b"old.txt", b"renamed",
                                                           ASCII_PW.encode()))
        before = {n: self.read(os.path.join(self.data, n)) for n in self.listing()}

        self.write_password(b"wrong\n")
        r = self.run_qz("upgrade", path)
        self.assertEqual((r.returncode, re.sub(r"qzcrypt: warning: .*\n", "", r.stderr.decode())),
                         (1, "qzcrypt: cannot upgrade %s: wrong password\n" % path))
        r = self.run_qz("upgrade", strong)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"already a strong file", r.stderr)
        self.use_password(ASCII_PW)
        r = self.run_qz("upgrade", renamed)
        self.assertEqual(r.returncode, 1)
        self.assertIn('the name stored inside is "old.txt", not "new.txt"', r.stderr.decode())
        self.assertEqual({n: self.read(os.path.join(self.data, n)) for n in self.listing()},
                         before)

        r = self.run_qz("upgrade", "--keep", "--work-factor", "10", self.data)
        self.assertEqual(r.returncode, 1, "new.txt.qz is still refused")
        self.assertEqual(self.listing(), ["new.txt.qz", "other.txt", "s.txt.age", "u.txt.age",
                                          "u.txt.qz"])
        self.assertEqual(self.read(path), qz)
        r = self.run_qz("upgrade", "--force", "--ignore-name", "--work-factor", "10", self.data)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("(%s kept: the name stored inside is \"old.txt\")" % renamed,
                      r.stdout.decode())
        self.assertEqual(self.listing(), ["new.txt.age", "new.txt.qz", "other.txt", "s.txt.age",
                                          "u.txt.age"])
        r = self.run_qz("decrypt", os.path.join(self.data, "u.txt.age"),
                        os.path.join(self.data, "new.txt.age"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.read(os.path.join(self.data, "u.txt")), b"upgrade me")
        self.assertEqual(self.read(os.path.join(self.data, "new.txt")), b"renamed")


class StrongPasswordTest(StrongBase):
    def test_empty_passwords_from_files_are_refused(self):
        path = self.put("e.txt", b"e")
        strong = self.encrypt_strong("s.txt", b"s")
        qz = self.put("q.txt.qz", qzref.expected_qz(b"q.txt", b"q", PASSWORD_BYTES))
        for raw in (b"\n", b"\xef\xbb\xbf\n"):
            self.write_password(raw)
            for args in (["encrypt", "--strong", path], ["decrypt", strong], ["check", strong],
                         ["upgrade", qz]):
                with self.subTest(raw=raw, args=args):
                    r = self.run_qz(*args)
                    self.assertEqual(r.returncode, 2, r.stderr)
                    self.assertIn(b"empty password", r.stderr)
        self.assertEqual(self.listing(), ["e.txt", "q.txt.qz", "s.txt.age"])

    def test_an_empty_entry_at_the_terminal_is_no_strong_password(self):
        path = self.put("e.txt", b"e")
        s = base.Session(self, "encrypt", "--strong", path)
        for prompt in (b"Password: ", b"Repeat the password: "):
            s.expect(prompt)
            s.send(b"\n")
        s.expect(b"there is no default password for strong files")
        self.assertEqual(s.finish(), 2, s.transcript)
        self.assertEqual(self.listing(), ["e.txt"])

        qz = self.put("q.txt.qz", qzref.expected_qz(b"q.txt", b"q", qzref.DEFAULT_PASSWORD))
        s = base.Session(self, "upgrade", qz)
        s.expect(b"Password: ")
        s.send(b"\n")
        s.expect(b"no default password")
        self.assertEqual(s.finish(), 2, s.transcript)

        strong = self.encrypt_strong("s.txt", b"s")
        s = base.Session(self, "decrypt", self.data)
        s.expect(b"Password: ")
        s.send(b"\n")
        self.assertEqual(s.finish(), 1, s.transcript)
        self.assertIn(b"default password, which anyone can use, is used for .qz files",
                      s.transcript)
        self.assertIn(b"cannot decrypt " + strong.encode() +
                      b": a strong (.age) file needs a password", s.transcript)
        self.assertEqual(self.listing(), ["e.txt", "q.txt", "s.txt.age"])

    def test_typed_password_is_utf8_and_age_takes_it(self):
        path = self.put("t.txt", b"typed")
        s = base.Session(self, "encrypt", "--strong", "--work-factor", "10", path)
        for prompt in (b"Password: ", b"Repeat the password: "):
            s.expect(prompt)
            s.send(CHINESE_PW.encode() + b"\n")
        self.assertEqual(s.finish(), 0, s.transcript)
        self.assertEqual(self.age_open(path + ".age", CHINESE_PW), b"typed")

    def test_password_files_in_code_page_936_and_characters_it_lacks(self):
        self.use_password(CHINESE_PW)
        strong = self.encrypt_strong("c.txt", b"chinese")
        # The same password as code page 936 bytes, or UTF-8 with a BOM, opens it.
        for raw in (CHINESE_PW.encode("gbk") + b"\n", b"\xef\xbb\xbf" + CHINESE_PW.encode()):
            with self.subTest(raw=raw):
                self.write_password(raw)
                r = self.run_qz("check", strong)
                self.assertEqual(r.returncode, 0, r.stderr)

        # An emoji: fine where only .age files are worked on, refused with a .qz file.
        emoji = "钥匙😀"
        self.use_password(emoji)
        path = self.encrypt_strong("e.txt", b"emoji")
        self.assertEqual(self.age_open(path, emoji), b"emoji")
        qz = self.put("q.txt.qz", qzref.expected_qz(b"q.txt", b"q", PASSWORD_BYTES))
        plain = self.put("p.txt", b"plain")
        before = {n: self.read(os.path.join(self.data, n)) for n in self.listing()}
        for args in (["decrypt", self.data], ["upgrade", qz], ["encrypt", plain]):
            with self.subTest(args=args):
                r = self.run_qz(*args)
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertIn(b"code page 936", r.stderr)
        self.assertEqual({n: self.read(os.path.join(self.data, n)) for n in self.listing()},
                         before)
        r = self.run_qz("decrypt", path)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.read(path[:-4]), b"emoji")


EFF_WORDS = {line.split("\t")[1] for line in open(
    "/usr/lib/python3/dist-packages/diceware/wordlists/wordlist_en_eff.txt").read().splitlines()}
PASSPHRASE = "mystify-gravel-oxidize-uncut-tapping-herring-blurb-sequel"


def eff_phrase_of(phrase, words, at=0):
    """Whether phrase[at:] is that many EFF words joined by "-" (four of them hold one)."""
    pieces = phrase.split("-")
    if words == 0:
        return at == len(pieces)
    return any("-".join(pieces[at:at + n]) in EFF_WORDS and eff_phrase_of(phrase, words - 1, at + n)
               for n in (1, 2) if at + n <= len(pieces))


class PasswordAdviceTest(StrongBase):
    def test_weak_passwords_told_passphrases_made_and_the_default_never_passed_on(self):
        warning = re.compile(r"qzcrypt: warning: this password is easy to guess \(score [0-2] of 4, "
                             r"about (10\^)?\d+ guesses; .+ at work factor 10\)\n")
        for password, quiet, weak in (("123456", "--quiet", 1), ("password", "--keep", 1),
                                      (PASSPHRASE, "--quiet", 0)):
            with self.subTest(password=password, quiet=quiet):
                self.use_password(password)
                path = self.put("w.txt", b"w")
                r = self.run_qz("encrypt", "--strong", "--work-factor", "10", quiet, path)
                os.unlink(path + ".age")
                self.assertEqual((r.returncode, len(warning.findall(r.stderr.decode()))), (0, weak), r.stderr)

        r = self.run_qz("encrypt", "--strong", "--generate-password", "--quiet", "--work-factor", "10",
                        self.put("g.txt", b"made"), password_file=False)
        self.assertEqual(r.returncode, 0, r.stderr)
        phrase = re.search(r"generated password \(write it down.*\): (\S+)\n", r.stderr.decode()).group(1)
        self.assertTrue(eff_phrase_of(phrase, 8), phrase)
        self.assertEqual(self.age_open(os.path.join(self.data, "g.txt.age"), phrase), b"made")

        # A .qz of the default password is refused until the .age gets a password of its own.
        qz = self.put("d.txt.qz", qzref.expected_qz(b"d.txt", b"default", qzref.DEFAULT_PASSWORD))
        self.write_password(qzref.DEFAULT_PASSWORD + b"\n")
        r = self.run_qz("upgrade", "--work-factor", "10", qz)
        self.assertEqual(r.returncode, 2)
        self.assertIn(b"--new-password-file FILE or --generate-password", r.stderr)
        self.assertEqual(self.listing(), ["d.txt.qz", "g.txt.age"])
        new = os.path.join(self.dir, "new")
        with open(new, "w") as f:
            f.write(PASSPHRASE + "\n")
        r = self.run_qz("upgrade", "--new-password-file", new, "--work-factor", "10", qz)
        self.assertEqual((r.returncode, r.stderr), (0, b""))
        self.assertEqual(self.age_open(os.path.join(self.data, "d.txt.age"), PASSPHRASE), b"default")


if __name__ == "__main__":
    base.QZCRYPT = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
