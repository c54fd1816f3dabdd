#!/usr/bin/env python3
"""The translation tools refuse an incomplete or inconsistent translation
and carry a complete one into a language module's resource scripts."""
import os
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "..", "tools")
sys.path.insert(0, TOOLS)
import gen_strings  # noqa: E402

RUSSIAN_STRINGS = '''
100 "Учетная запись %s: %d писем"
101 "Введите число от %1 до %2."
102 "Accounts\\\\Account %03d"
103 "ЯНВ;ФЕВ"
'''
ENGLISH_STRINGS = '''
100 "Account %s: %d messages"
101 "Enter a number from %1 to %2."
102 same
103 same
'''

SCRIPT = '''// Dialogs
#pragma code_page(1251)
IDI_PROGRAM ICON "program.ico"
IDD_ONE DIALOGEX 0, 0, 100, 50
CAPTION "Окно"
FONT 8, "MS Shell Dlg"
BEGIN
    LTEXT           "Имя ""сервера"":", -1, 7, 7, 80, 8
    CONTROL         "", 1001, "SysListView32", 0, 7, 20, 80, 20
    DEFPUSHBUTTON   "OK", IDOK, 7, 40, 40, 14
END

IDR_BAR TOOLBAR 16, 15
BEGIN
    BUTTON 1
END
IDR_BAR BITMAP "bar.bmp"

#include "postling/res/Menu.rc"
'''
MENU = '''IDR_MENU MENU
BEGIN
    POPUP "Меню"
    BEGIN
        MENUITEM "&Удалить\\tDel", 2
    END
END
IDR_MENU ACCELERATORS
BEGIN
    VK_DELETE, 2, VIRTKEY
END
'''
CATALOG = '''# Dialogs.rc
"Окно" "Window"
"Имя ""сервера"":" "Server ""name"":"
"Меню" "Menu"
"&Удалить\\tDel" "&Delete\\tDel"
'''


def write(path, text, encoding="utf-8"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding=encoding, newline="\n") as f:
        f.write(text)


class StringTableTest(unittest.TestCase):
    def check(self, english):
        with tempfile.TemporaryDirectory() as tmp:
            ru, en = os.path.join(tmp, "ru.txt"), os.path.join(tmp, "en.txt")
            write(ru, RUSSIAN_STRINGS)
            write(en, english)
            return gen_strings.check_translation(gen_strings.parse(en, "cp1252", same_allowed=True),
                                                 gen_strings.parse(ru), "en", "ru")

    def test_a_complete_translation_passes_and_same_keeps_the_program_text(self):
        self.assertEqual(self.check(ENGLISH_STRINGS), [])
        with tempfile.TemporaryDirectory() as tmp:
            ru, en, rc = (os.path.join(tmp, n) for n in ("ru.txt", "en.txt", "en.rc"))
            write(ru, RUSSIAN_STRINGS)
            write(en, ENGLISH_STRINGS)
            subprocess.run([sys.executable, os.path.join(TOOLS, "gen_strings.py"), en, "--rc", rc,
                            "--codepage", "1252", "--reference", ru], check=True)
            with open(rc, encoding="latin-1") as f:
                text = f.read()
        self.assertIn("#pragma code_page(1252)", text)
        self.assertIn('100 "Account %s: %d messages"', text)
        self.assertNotIn("102", text)
        self.assertNotIn("103", text)

    def test_translations_that_would_break_the_program_are_refused(self):
        cases = [
            ("a missing identifier", ENGLISH_STRINGS.replace('101 "Enter a number from %1 to %2."\n', ""),
             "identifier 101 of ru is missing"),
            ("an identifier of its own", ENGLISH_STRINGS + '104 "Extra"\n', "identifier 104 is not in ru"),
            ("conversions in another order",
             ENGLISH_STRINGS.replace('"Account %s: %d messages"', '"%d messages in %s"'),
             "identifier 100 has conversions"),
            ("a conversion dropped", ENGLISH_STRINGS.replace("%d messages", "messages"),
             "identifier 100 has conversions"),
            ("an insert dropped", ENGLISH_STRINGS.replace(" to %2", ""), "identifier 101 has conversions"),
        ]
        for label, english, problem in cases:
            with self.subTest(label):
                problems = self.check(english)
                self.assertEqual(len(problems), 1, problems)
                self.assertIn(problem, problems[0])

    def test_same_belongs_to_translations_only(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "ru.txt")
            write(path, '100 same\n')
            with self.assertRaises(SystemExit):
                gen_strings.parse(path)


class DialogTranslationTest(unittest.TestCase):
    def run_tool(self, catalog):
        with tempfile.TemporaryDirectory() as root:
            write(os.path.join(root, "postling/res/Dialogs.rc"), SCRIPT, "cp1251")
            write(os.path.join(root, "postling/res/Menu.rc"), MENU, "cp1251")
            write(os.path.join(root, "dialogs.en.txt"), catalog)
            out = os.path.join(root, "out.rc")
            result = subprocess.run(
                [sys.executable, os.path.join(TOOLS, "translate_rc.py"), "--catalog",
                 os.path.join(root, "dialogs.en.txt"), "--codepage", "1252", "--root", root, "--out", out,
                 os.path.join(root, "postling/res/Dialogs.rc")], capture_output=True, text=True)
            text = None
            if os.path.exists(out):
                with open(out, encoding="cp1252") as f:
                    text = f.read()
            return result.returncode, result.stderr, text

    def test_dialogs_menus_and_icons_are_carried_translated(self):
        code, err, text = self.run_tool(CATALOG)
        self.assertEqual(code, 0, err)
        self.assertIn("#pragma code_page(1252)", text)
        for carried in ('CAPTION "Window"', '"Server ""name"":"', 'POPUP "Menu"', '"&Delete\\tDel", 2',
                        'IDI_PROGRAM ICON "program.ico"', '"SysListView32"', 'DEFPUSHBUTTON   "OK"'):
            self.assertIn(carried, text)
        # Resources without text stay with the program.
        for left in ("TOOLBAR", "BITMAP", "ACCELERATORS", "VK_DELETE"):
            self.assertNotIn(left, text)

    def test_an_incomplete_or_inconsistent_catalog_writes_nothing(self):
        cases = [
            ("a text without translation", CATALOG.replace('"Меню" "Menu"\n', ""), '"Меню" has no translation'),
            ("an entry no script uses", CATALOG + '"Старое" "Old"\n', '"Старое" is used by no script'),
            ("two entries for one text", CATALOG + '"Окно" "Pane"\n', '"Окно" translated twice'),
            ("a translation outside the code page", CATALOG.replace('"Window"', '"Окно"'),
             "not representable in code page 1252"),
            ("a line that is no entry", CATALOG + "Окно = Window\n", "expected"),
        ]
        for label, catalog, problem in cases:
            with self.subTest(label):
                code, err, text = self.run_tool(catalog)
                self.assertNotEqual(code, 0)
                self.assertIn(problem, err)
                self.assertIsNone(text)


if __name__ == "__main__":
    unittest.main()
