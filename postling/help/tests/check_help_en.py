#!/usr/bin/env python3
"""The English help beside the Russian one.

LanguageMatch runs build_help.py --compare over copies of both help
directories with one difference each and sees the build refused with a
message naming what is missing where; the unchanged pair builds.
CompiledEnglishHelp reads PostlingEN.chm back: the same context table as
Postling.chm, English titles and popups in code page 1252, language 0x409.

    check_help_en.py --help-dir DIR --res-dir DIR --chmcmd PATH --chm FILE --chm-en FILE
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools")
sys.path.insert(0, TOOLS)
import build_help  # noqa: E402

ARGS = None


def edit(path, old, new, codec="cp1252"):
    with open(path, encoding=codec, newline="") as f:
        text = f.read()
    if old not in text:
        raise AssertionError(f"{old!r} not in {path}")
    with open(path, "w", encoding=codec, newline="") as f:
        f.write(text.replace(old, new, 1))


def drop_topic(ru, en):
    os.remove(os.path.join(en, "tip.htm"))
    edit(os.path.join(en, "PostlingEN.hhp"), "tip.htm\r\n", "")


def drop_context(ru, en):
    edit(os.path.join(en, "period.htm"), 'content="120 10009 10010"', 'content="120 10009"')


def drop_popup(ru, en):
    path = os.path.join(en, "cshelp.txt")
    with open(path, encoding="cp1252", newline="") as f:
        text, count = re.subn(r"^\.topic 1047\r\n[^\r]*\r\n\r\n", "", f.read(), flags=re.M)
    if count != 1:
        raise AssertionError("no popup 1047 to drop")
    with open(path, "w", encoding="cp1252", newline="") as f:
        f.write(text)


def extra_popup(ru, en):
    with open(os.path.join(en, "cshelp.txt"), "a", encoding="cp1252", newline="\r\n") as f:
        f.write("\n.topic 1999\nA control the Russian help does not know.\n")


def unchanged(ru, en):
    pass


class LanguageMatch(unittest.TestCase):
    def build(self, change):
        with tempfile.TemporaryDirectory() as tmp:
            ru = os.path.join(tmp, "help")
            shutil.copytree(ARGS.help_dir, ru, ignore=shutil.ignore_patterns("tests"))
            en = os.path.join(ru, "en")
            change(ru, en)
            out = os.path.join(tmp, "PostlingEN.chm")
            result = subprocess.run(
                [sys.executable, os.path.join(TOOLS, "build_help.py"), "--help-dir", en,
                 "--res-dir", ARGS.res_dir, "--compare", ru, "--stage", os.path.join(tmp, "stage"),
                 "--out", out, "--chmcmd", ARGS.chmcmd],
                capture_output=True, text=True)
            built = os.path.isfile(out)
            return result, built, ru, en

    def test_the_build_refuses_languages_that_differ(self):
        table = [
            ("missing topic", drop_topic, "topic tip.htm of {ru} is missing from {en}"),
            ("differing context number", drop_context,
             "period.htm: context numbers differ: only in {ru}: [10010], only in {en}: none"),
            ("missing popup id", drop_popup, "popup id 1047 of {ru}/cshelp.txt is missing from {en}/cshelp.txt"),
            ("popup id only in English", extra_popup,
             "popup id 1999 of {en}/cshelp.txt is missing from {ru}/cshelp.txt"),
            ("complete pair", unchanged, None),
        ]
        for what, change, message in table:
            with self.subTest(what):
                result, built, ru, en = self.build(change)
                if message is None:
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertTrue(built)
                else:
                    self.assertNotEqual(result.returncode, 0)
                    self.assertFalse(built)
                    self.assertIn(message.format(ru=ru, en=en), result.stderr)


def system_records(data):
    """code -> data of the #SYSTEM file's records."""
    records, pos = {}, 4
    while pos + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, pos)
        records[code] = data[pos + 4:pos + 4 + length]
        pos += 4 + length
    return records


def context_table(path, workdir):
    files = build_help.chm_files(path, workdir)
    ivb, strings = files["/#IVB"], files["/#STRINGS"]
    table = {}
    for i in range(struct.unpack_from("<I", ivb, 0)[0] // 8):
        context, offset = struct.unpack_from("<II", ivb, 4 + 8 * i)
        table[context] = strings[offset:strings.index(b"\0", offset)].decode("ascii")
    return files, table


class CompiledEnglishHelp(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        _, cls.ru_contexts = context_table(ARGS.chm, os.path.join(cls.tmp.name, "ru"))
        cls.files, cls.contexts = context_table(ARGS.chm_en, os.path.join(cls.tmp.name, "en"))

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_every_context_opens_the_same_topic_as_in_russian(self):
        self.assertGreater(len(self.contexts), 50)
        self.assertEqual(self.contexts, self.ru_contexts)
        for context in (140, 104, 124, 32773, 20000, 57667):
            self.assertIn("/" + self.contexts[context], self.files)

    def test_english_topics_popups_and_language(self):
        system = system_records(self.files["/#SYSTEM"])
        self.assertEqual(system[3], b"V&S Post Sentry Help\0")  # title
        self.assertEqual(struct.unpack_from("<I", system[4], 0)[0], 0x409)  # LCID
        for name, data in self.files.items():
            if not name.endswith((".htm", ".hhc", ".hhk", ".txt")) or "#" in name:
                continue
            with self.subTest(name):
                text = data.decode("cp1252")
                self.assertNotRegex(text, "[\u0400-\u04ff]")
                if name.endswith(".htm"):
                    self.assertIn("charset=windows-1252", text)
                    self.assertRegex(text, r"<title>[A-Z][^<]+</title>")
        titles = {name: re.search(r"<title>([^<]+)</title>", self.files["/" + name].decode("cp1252")).group(1)
                  for name in ("sounds.htm", "maillist.htm", "errors.htm")}
        self.assertEqual(titles, {"sounds.htm": "Sounds", "maillist.htm": "Messages Window",
                                  "errors.htm": "Errors Window"})
        popups = re.findall(r"^\.topic\s+(\d+)\s*\r?\n(\S[^\r\n]*)", self.files["/cshelp.txt"].decode("cp1252"), re.M)
        self.assertGreater(len(popups), 80)
        self.assertIn(("1005", "Name or address of the POP3 mail server, for example pop.example.com. Required."),
                      popups)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for option in ("--help-dir", "--res-dir", "--chmcmd", "--chm", "--chm-en"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
