#!/usr/bin/env python3
"""Reads the built Postling.chm back with chmlib (extract_chmLib) and checks
what the program relies on: the file itself, its table of contents and
index, a topic for every context number the program can ask for (dialogs,
menu, toolbar and accelerator commands), a text popup for every control,
and Russian text in code page 1251.

    check_help.py --chm FILE --help-dir DIR --res-dir DIR
"""
import argparse
import os
import re
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools"))
import build_help  # noqa: E402

ARGS = None
CYRILLIC = re.compile("[А-Яа-яЁё]")


class CompiledHelp(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(ARGS.chm, "rb") as f:
            cls.data = f.read()
        cls.tmp = tempfile.TemporaryDirectory()
        cls.files = build_help.chm_files(ARGS.chm, os.path.join(cls.tmp.name, "x"))
        cls.resources = build_help.Resources(ARGS.res_dir)
        ivb, strings = cls.files["/#IVB"], cls.files["/#STRINGS"]
        count = struct.unpack_from("<I", ivb, 0)[0] // 8
        cls.contexts = {}
        for i in range(count):
            context, offset = struct.unpack_from("<II", ivb, 4 + 8 * i)
            cls.contexts[context] = strings[offset:strings.index(b"\0", offset)].decode("cp1251")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def topic(self, name):
        data = self.files.get("/" + name)
        self.assertIsNotNone(data, f"{name} is not in the file")
        return data.decode("cp1251")

    def test_the_file_holds_the_project_with_its_contents_and_index(self):
        self.assertEqual(self.data[:4], b"ITSF")
        for name in build_help.project_files(os.path.join(ARGS.help_dir, "Postling.hhp")):
            self.assertIn("/" + name, self.files)
        system = self.files["/#SYSTEM"]
        for name in (b"Contents.hhc", b"Index.hhk", b"index.htm"):
            self.assertIn(name, system)
        for sitemap in ("Contents.hhc", "Index.hhk"):
            text = self.topic(sitemap)
            targets = re.findall(r'name="Local" value="([^"]+)"', text)
            self.assertGreater(len(targets), 10, sitemap)
            for target in targets:
                self.assertIn("/" + target, self.files, f"{sitemap} points at {target}")

    def test_every_dialog_and_command_opens_a_topic(self):
        cases = [(f"dialog {name}", number) for number, (name, _) in self.resources.dialogs.items()]
        cases += [(f"command {name}", number) for number, name in self.resources.commands.items()]
        # The framework's help IDs: the program takes their low 16 bits.
        cases += [("message box with help 10051", 0x30000 + 10051),
                  ("message box with help 10055", 0x30000 + 10055),
                  ("toolbar button 57669", 0x10000 + 57669)]
        self.assertGreater(len(cases), 30)
        for what, number in cases:
            with self.subTest(what):
                name = self.contexts.get(number & 0xFFFF)
                self.assertIsNotNone(name, f"{what} ({number}) has no context")
                self.assertRegex(self.topic(name), r"<title>[^<]+</title>")

    def test_chosen_contexts_reach_their_topics(self):
        table = [
            (140, "sounds.htm"), (137, "errors.htm"), (150, "exit.htm"), (108, "secondstart.htm"),
            (100, "about.htm"), (148, "password.htm"), (134, "header.htm"), (102, "accounts.htm"),
            (111, "rules.htm"), (113, "general.htm"), (104, "account-connection.htm"),
            (116, "account-intervals.htm"), (152, "account-firewall.htm"), (118, "periods.htm"),
            (120, "period.htm"), (124, "maillist.htm"), (103, "tray.htm"), (32773, "tray.htm"),
            (20000, "check.htm"), (20064, "check.htm"), (32806, "exit.htm"), (57667, "help.htm"),
        ]
        for number, name in table:
            with self.subTest(number):
                self.assertEqual(self.contexts.get(number), name)

    def test_every_control_has_popup_text(self):
        popups = {}
        for match in re.finditer(r"^\.topic\s+(\d+)\s*\r?\n(.*?)(?=^\.topic|\Z)",
                                 self.topic("cshelp.txt"), re.M | re.S):
            popups[int(match.group(1))] = match.group(2).strip()
        controls = self.resources.control_ids()
        self.assertGreater(len(controls), 20)
        for number in controls:
            with self.subTest(number):
                self.assertTrue(popups.get(number), f"control {number} has no popup text")
                self.assertRegex(popups[number], CYRILLIC)

    def test_russian_titles_in_code_page_1251(self):
        titles = {}
        for name, data in self.files.items():
            if not name.endswith(".htm"):
                continue
            with self.subTest(name):
                text = data.decode("cp1251")
                self.assertIn("charset=windows-1251", text)
                title = re.search(r"<title>([^<]+)</title>", text).group(1)
                self.assertRegex(title, CYRILLIC if name != "/index.htm" else "Post Sentry")
                titles[name] = title
        self.assertEqual(titles["/sounds.htm"], "Настройка звука")
        self.assertIn("Настройки", self.topic("Contents.hhc"))
        self.assertIn("Справка V&S Post Sentry".encode("cp1251"), self.files["/#SYSTEM"])


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--chm", required=True)
    parser.add_argument("--help-dir", required=True)
    parser.add_argument("--res-dir", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
