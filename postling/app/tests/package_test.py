#!/usr/bin/env python3
"""The Windows release zip: it holds exactly the files a user needs, and the
program unpacked from it into an empty folder starts in a fresh Wine prefix
(no other file of the build beside it), reaches its main window and ends
cleanly when asked.

    package_test.py BIN-DIR --wine WINE-RUN     (run under with-xvfb)
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools"))
import package  # noqa: E402

EXPECTED = set(package.FILES) | {"README.txt"}


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("bin_dir")
    ap.add_argument("--wine", required=True)
    args = ap.parse_args()
    with tempfile.TemporaryDirectory(prefix="postling-package-") as tmp:
        path = package.main(args.bin_dir, os.path.join(tmp, "dist"))
        with zipfile.ZipFile(path) as archive:
            names = archive.namelist()
            folder = names[0].split("/")[0]
            if {n.split("/", 1)[1] for n in names} != EXPECTED or any(not n.startswith(folder + "/") for n in names):
                print("package_test: the zip holds", sorted(names))
                return 1
            readme = archive.read(folder + "/README.txt").decode("utf-8-sig")
            if "Postling.exe" not in readme or "Установка" not in readme:
                print("package_test: the readme lacks its two parts")
                return 1
            archive.extractall(os.path.join(tmp, "app"))
        app = os.path.join(tmp, "app", folder)
        env = dict(os.environ, POSTLING_WINEPREFIX=os.path.join(tmp, "prefix"))
        env.pop("POSTLING_TEST_DISPLAY", None)  # a wineserver of its own on this display
        # The fresh prefix first, so that the program and the closer do not
        # both wait for its creation.
        subprocess.run([args.wine, "cmd", "/c", "exit", "0"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
        program = subprocess.Popen([args.wine, os.path.join(app, "Postling.exe")], cwd=app, env=env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        closer = os.path.join(args.bin_dir, "closeprogram.exe")
        try:
            reached = False
            deadline = time.time() + 90
            while time.time() < deadline and program.poll() is None:
                if subprocess.run([args.wine, closer, "Postling"], env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60).returncode == 0:
                    reached = True
                    break
                time.sleep(1)
            if not reached:
                print("package_test: the unpacked program never showed its main window (exit %s)" % program.poll())
                return 1
            try:
                code = program.wait(timeout=30)
            except subprocess.TimeoutExpired:
                print("package_test: the unpacked program did not end when asked")
                return 1
            if code != 0:
                print("package_test: the unpacked program ended with", code)
                return 1
            print("package_test: %s (%d bytes) unpacks, starts and ends" % (os.path.basename(path), os.path.getsize(path)))
            return 0
        finally:
            if program.poll() is None:
                program.kill()
            subprocess.run(["wineserver", "-k"], env=dict(env, WINEPREFIX=env["POSTLING_WINEPREFIX"]),
                           stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    sys.exit(main())
