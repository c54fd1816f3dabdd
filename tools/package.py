#!/usr/bin/env python3
"""Builds the Windows release: a zip holding the program, its two DLLs, the
C++ runtime they share, the help file, the melody file, the English
language module with its help and a short readme, in one folder named after
the version.

    package.py BIN-DIR OUT-DIR      writes OUT-DIR/Postling-<version>-win64.zip

The version is the project's (CMakeLists.txt). Fails when a file is missing.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# What a Windows user needs, and nothing else. The DLLs pass C++ objects to
# each other, so they share mingw's runtime DLLs (see the README).
FILES = [
    "Postling.exe",
    "Framework.dll",
    "LUMKIT.dll",
    "libstdc++-6.dll",
    "libgcc_s_seh-1.dll",
    "libwinpthread-1.dll",
    "Postling.chm",
    "Postling.mus",
    "ZELENG.lng",
    "PostlingEN.chm",
]

README = """Postling {version}
==============

По-русски
---------
Postling следит за почтовыми ящиками POP3 и живёт в области уведомлений
панели задач. Он забирает с серверов только заголовки писем и по вашим
правилам мигает значком, показывает всплывающее окно или список писем,
запускает почтовую программу, удаляет ненужные письма на сервере.

Установка: распакуйте папку в любое место и запустите Postling.exe.
При первом запуске откроется окно настроек: добавьте учётную запись
(сервер, имя пользователя, пароль, при необходимости защиту TLS).
Чтобы программа запускалась вместе с Windows, положите ярлык на
Postling.exe в папку автозагрузки.
Справка: Postling.chm или клавиша F1 в любом окне программы.
Язык интерфейса и справки (русский или английский) выбирается в окне
настроек, на странице «Общие».
Настройки хранятся в реестре, в разделе
HKEY_CURRENT_USER\\Software\\Razezo Varnek\\Varnek & Soltu Post Sentry.

In English
----------
Postling watches POP3 mailboxes from the notification area. It fetches only
the header of each message and, by your rules, blinks its icon, shows a
popup or the message list, starts your mail program, or deletes unwanted
mail on the server. Its interface and help come in English (ZELENG.lng)
and Russian: English is chosen at the first start on an English Windows,
and on the General page of the settings at any time.

Installing: unpack the folder anywhere and run Postling.exe. The first start
opens the settings: add an account (server, user name, password, and TLS if
your server offers it). To start it with Windows, put a shortcut to
Postling.exe into your Startup folder.
Help: F1 in any of its windows (PostlingEN.chm; Postling.chm in Russian).
Settings are kept in the registry under
HKEY_CURRENT_USER\\Software\\Razezo Varnek\\Varnek & Soltu Post Sentry.
"""


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(r"project\(\s*Postling\s+VERSION\s+([0-9.]+)", f.read())
    if not match:
        raise SystemExit("package: no version in CMakeLists.txt")
    return match.group(1)


def main(bin_dir, out_dir):
    version = project_version()
    missing = [name for name in FILES if not os.path.isfile(os.path.join(bin_dir, name))]
    if missing:
        raise SystemExit("package: missing in %s: %s" % (bin_dir, ", ".join(missing)))
    folder = "Postling-%s" % version
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, "%s-win64.zip" % folder)
    # Notepad reads UTF-8 with its byte order mark and CR LF line ends.
    readme = "\ufeff" + README.format(version=version).replace("\n", "\r\n")
    # The binaries without their debugging information (the build keeps it).
    strip = shutil.which("x86_64-w64-mingw32-strip")
    with tempfile.TemporaryDirectory() as tmp, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name in FILES:
            source = os.path.join(bin_dir, name)
            if strip and name.endswith((".exe", ".dll", ".lng")):
                copy = os.path.join(tmp, name)
                shutil.copyfile(source, copy)
                subprocess.run([strip, "--strip-debug", copy], check=True)
                source = copy
            archive.write(source, folder + "/" + name)
        archive.writestr(folder + "/README.txt", readme.encode("utf-8"))
    print(path)
    return path


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2])
