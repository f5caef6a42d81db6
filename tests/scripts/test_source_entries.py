"""Tests of scripts/source_entries.py: the deb-src entries that bootstrap adds so that
`apt-get source` finds Debian's libsodium in the machine's own archives."""
import importlib.util
import io
import os
import tempfile
import unittest
from contextlib import redirect_stdout

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
module_source = importlib.util.spec_from_file_location(
    "source_entries", os.path.join(ROOT, "scripts", "source_entries.py"))
se = importlib.util.module_from_spec(module_source)
module_source.loader.exec_module(se)

# Debian 12's layout, with the comments that snapshot machines carry inside a stanza.
DEBIAN = """\
Types: deb
# http://snapshot.debian.org/archive/debian/20250520T000000Z
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
"""


class MirrorTest(unittest.TestCase):
    def test_each_package_entry_gets_its_source_twin(self):
        out = se.mirror([("debian.sources", DEBIAN)])
        self.assertEqual(se.parse_deb822(out), [
            [("Types", "deb-src"), ("URIs", "http://deb.debian.org/debian"),
             ("Suites", "bookworm bookworm-updates"), ("Components", "main"),
             ("Signed-By", "/usr/share/keyrings/debian-archive-keyring.gpg")],
            [("Types", "deb-src"), ("URIs", "http://deb.debian.org/debian-security"),
             ("Suites", "bookworm-security"), ("Components", "main contrib"),
             ("Signed-By", "/usr/share/keyrings/debian-archive-keyring.gpg")]])
        self.assertNotIn("snapshot", out)

    def test_sources_that_exist_are_not_added_again(self):
        # Source entries of the machine's own, in both formats and for part of the suites.
        own = ("Types: deb deb-src\nURIs: http://deb.debian.org/debian-security/\n"
               "Suites: bookworm-security\nComponents: main contrib\n")
        one_line = ("deb-src [signed-by=/k.gpg] http://deb.debian.org/debian bookworm main\n"
                    "deb http://other.example/debian bookworm main  # a comment\n"
                    "deb-src http://other.example/debian bookworm main\n")
        disabled = "Enabled: no\nTypes: deb\nURIs: http://off.example/\nSuites: x\n"
        out = se.mirror([("debian.sources", DEBIAN), ("own.sources", own),
                         ("sources.list", one_line), ("off.sources", disabled)])
        self.assertEqual(se.parse_deb822(out), [
            [("Types", "deb-src"), ("URIs", "http://deb.debian.org/debian"),
             ("Suites", "bookworm-updates"), ("Components", "main"),
             ("Signed-By", "/usr/share/keyrings/debian-archive-keyring.gpg")]])
        everything = own + "\n" + DEBIAN.replace("Types: deb\n", "Types: deb-src deb\n")
        self.assertEqual(se.mirror([("all.sources", everything)]), "")

    def test_one_line_entries_and_embedded_keys_carry_over(self):
        one_line = "deb [arch=amd64 signed-by=/k.gpg] http://mirror.example/debian bookworm main non-free\n"
        key = ("Types: deb\nURIs: http://keyed.example/\nSuites: stable\nComponents: main\n"
               "Signed-By:\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n mQINBGE=\n"
               " -----END PGP PUBLIC KEY BLOCK-----\n")
        stanzas = se.parse_deb822(se.mirror([("a.list", one_line), ("k.sources", key)]))
        self.assertEqual(stanzas[0], [
            ("Types", "deb-src"), ("URIs", "http://mirror.example/debian"),
            ("Suites", "bookworm"), ("Components", "main non-free"),
            ("Architectures", "amd64"), ("Signed-By", "/k.gpg")])
        self.assertEqual(dict(stanzas[1])["Signed-By"],
                         "\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n mQINBGE=\n"
                         " -----END PGP PUBLIC KEY BLOCK-----")

    def test_running_again_over_its_own_output_changes_nothing(self):
        # bootstrap compares the output with the file it wrote and skips that file.
        with tempfile.TemporaryDirectory() as folder:
            debian = os.path.join(folder, "debian.sources")
            ours = os.path.join(folder, "lockmere-deb-src.sources")
            with open(debian, "w") as f:
                f.write(DEBIAN)

            def run():
                out = io.StringIO()
                with redirect_stdout(out):
                    self.assertEqual(se.main(["--skip", ours, debian, ours]), 0)
                return out.getvalue()

            first = run()
            with open(ours, "w") as f:
                f.write(first)
            self.assertEqual(run(), first)
            self.assertIn("Types: deb-src", first)


if __name__ == "__main__":
    unittest.main(verbosity=2)
