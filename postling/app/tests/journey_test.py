#!/usr/bin/env python3
"""A new user's first session with Postling.exe, end to end: a private Dovecot
with the demo mailbox, an empty Wine prefix of its own, a private Xvfb, and
the Windows driver (journey_test.exe), which starts the program in a virtual
desktop and uses it only through its windows, as a user does.

    journey_test.py TEST-EXE --wine WINE-RUN --with-xvfb WITH-XVFB [--screenshots DIR]

The driver asks for things only this side can do by writing NAME.ready into
the requests folder; this script answers with NAME.done:
    NN-step-name    a screenshot of the display, DIR/NN-step-name.png
    deliver         one more message from the sender named in deliver.ready
It passes when the driver's GoogleTest cases pass and the mailbox ends with
exactly the messages the journey leaves on the server.
"""
import argparse
import email.header
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools"))
import demo_messages  # noqa: E402
from dovecot_harness import Dovecot  # noqa: E402

DESKTOP = "Journey,1024x768"
TIME_LIMIT = 150


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def log(text, start=[time.time()]):
    print("journey_test: %5.1f s  %s" % (time.time() - start[0], text), flush=True)


def message_ids(maildir):
    ids = set()
    for sub in ("new", "cur"):
        folder = os.path.join(maildir, sub)
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), "rb") as f:
                for line in f.read().split(b"\n"):
                    if line.lower().startswith(b"message-id:"):
                        ids.add(line.split(b":", 1)[1].strip().decode("ascii"))
                        break
    return ids


def answer_requests(requests, shots, server, env):
    """Answers every request waiting in the folder; the names answered."""
    answered = []
    for entry in sorted(os.listdir(requests)):
        if not entry.endswith(".ready"):
            continue
        name = entry[:-len(".ready")]
        path = os.path.join(requests, entry)
        with open(path, "rb") as f:
            body = f.read().decode("utf-8", "replace").strip()
        if name == "deliver":
            # body: the sender's address
            text = ("Message-ID: <journey-new@example.ru>\r\nFrom: %s\r\nTo: demo@example.ru\r\n"
                    "Subject: =?utf-8?B?0J3QvtCy0L7QtSDQv9C40YHRjNC80L4=?=\r\n"
                    "Date: Tue, 8 Dec 2026 10:00:00 +0300\r\n\r\nHello again.\r\n" % body)
            server.add_message("alice", text.encode("ascii"))
            log("delivered a new message from " + body)
        else:
            target = os.path.join(shots, name + ".png")
            subprocess.run(["import", "-window", "root", target], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            log("screenshot " + target)
        os.remove(path)
        open(os.path.join(requests, name + ".done"), "w").close()
        answered.append(name)
    return answered


def run(args):
    env = dict(os.environ)
    with tempfile.TemporaryDirectory(prefix="postling-journey-") as tmp:
        os.chmod(tmp, 0o755)  # Dovecot's auth process runs as another user
        messages = os.path.join(tmp, "messages")
        demo_messages.main(messages)
        requests = os.path.join(tmp, "requests")
        os.makedirs(requests)
        shots = os.path.abspath(args.screenshots)
        os.makedirs(shots, exist_ok=True)
        for old in os.listdir(shots):
            if old.endswith(".png"):
                os.remove(os.path.join(shots, old))
        prefix = os.path.join(tmp, "prefix")
        env["POSTLING_WINEPREFIX"] = prefix
        env.pop("POSTLING_TEST_DISPLAY", None)
        wine_env = dict(env, WINEPREFIX=prefix)
        # No sound card: ALSA's null device keeps its complaints out of the log.
        alsa = os.path.join(tmp, "alsa.conf")
        with open(alsa, "w") as f:
            f.write("pcm.!default { type null }\nctl.!default { type hw card 0 }\n")
        env["ALSA_CONFIG_PATH"] = alsa
        result_file = os.path.join(tmp, "result.txt")
        driver_log = os.path.join(tmp, "driver.log")
        with Dovecot(os.path.join(tmp, "server")) as server:
            server.add_user("alice", "s3cret")
            for name in sorted(os.listdir(messages)):
                with open(os.path.join(messages, name), "rb") as f:
                    server.add_message("alice", f.read())
            maildir = os.path.dirname(server.maildir("alice"))
            demo_ids = message_ids(maildir)
            # Message-ID, decoded subject and sender address of each demo message.
            subjects = os.path.join(tmp, "subjects.txt")
            with open(subjects, "w", encoding="utf-8") as f:
                for tag, sender, subject in demo_messages.MESSAGES:
                    decoded = str(email.header.make_header(email.header.decode_header(subject)))
                    address = sender[sender.rindex("<") + 1:sender.rindex(">")]
                    f.write(f"<demo-{tag}@example.ru>\t{decoded}\t{address}\n")
            env.update(POSTLING_TEST_POP3_PORT=str(server.port),
                       POSTLING_TEST_POP3_LOG=windows_path(os.path.join(server.dir, "dovecot.log")),
                       POSTLING_TEST_MAILDIR=windows_path(maildir),
                       POSTLING_TEST_SUBJECTS=windows_path(subjects),
                       POSTLING_JOURNEY_REQUESTS=windows_path(requests),
                       POSTLING_JOURNEY_RESULT=windows_path(result_file))
            try:
                log("creating an empty Wine prefix")
                subprocess.run([args.wine, "cmd", "/c", "exit", "0"], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
                if not os.path.isdir(os.path.join(prefix, "drive_c")):
                    log("Wine did not create the prefix " + prefix)
                    return 1
                log("starting the driver in the virtual desktop " + DESKTOP)
                with open(driver_log, "wb") as out:
                    driver = subprocess.Popen(
                        [args.wine, "explorer", "/desktop=" + DESKTOP, windows_path(args.test_exe)],
                        cwd=os.path.dirname(os.path.abspath(args.test_exe)), env=env,
                        stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
                    deadline = time.time() + TIME_LIMIT
                    while driver.poll() is None and time.time() < deadline:
                        answer_requests(requests, shots, server, env)
                        time.sleep(0.05)
                    if driver.poll() is None:
                        log("the driver did not end within %d s" % TIME_LIMIT)
                        answer_requests(requests, shots, server, env)
                        subprocess.run(["import", "-window", "root", os.path.join(shots, "99-timed-out.png")],
                                       env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                        driver.kill()
                        driver.wait()
                with open(driver_log, "rb") as f:
                    sys.stdout.write(f.read().decode("utf-8", "replace"))
                try:
                    with open(result_file) as f:
                        code = int(f.read().strip() or "1")
                except (OSError, ValueError):
                    log("the driver left no result")
                    code = 1
                # The mailbox: the demo messages less the one deleted from the
                # list and those of the sender the rule deletes (an old one
                # and the new one).
                left = message_ids(maildir)
                log("messages left on the server: " + " ".join(sorted(left)))
                if not left < demo_ids or len(left) != len(demo_ids) - 2:
                    log("the mailbox should hold the demo messages less two, no new one")
                    code = 1
                return code
            finally:
                # Nothing of this prefix outlives the test.
                subprocess.run(["wineserver", "-k"], env=wine_env, stderr=subprocess.DEVNULL)
                try:
                    subprocess.run(["wineserver", "-w"], env=wine_env, stderr=subprocess.DEVNULL, timeout=30)
                except subprocess.TimeoutExpired:
                    log("the prefix's wineserver did not end")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("test_exe")
    ap.add_argument("--wine", required=True)
    ap.add_argument("--with-xvfb", required=True)
    ap.add_argument("--screenshots", default=os.path.join(os.getcwd(), "screenshots", "journey"))
    ap.add_argument("--on-own-display", action="store_true", help=argparse.SUPPRESS)
    args = ap.parse_args()
    if not args.on_own_display:
        # A private Xvfb: the virtual desktop fills the screen, and focus
        # changes there must not reach other tests' windows.
        env = dict(os.environ)
        env.pop("POSTLING_TEST_DISPLAY", None)
        started = time.time()
        code = subprocess.run([args.with_xvfb, sys.executable, os.path.abspath(__file__)] + sys.argv[1:] +
                              ["--on-own-display"], env=env).returncode
        print("journey_test: %s in %.1f s" % ("passed" if code == 0 else "FAILED", time.time() - started))
        return code
    return run(args)


if __name__ == "__main__":
    sys.exit(main())
