#!/usr/bin/env python3
"""Postling.exe against a real POP3 server: starts a private Dovecot with the
demo mailbox (Russian messages in several encodings) and a port that
accepts no connection, writes the subjects the messages show, then runs the
Windows
test program that drives Postling.exe under Wine on the test display.

    program_mailbox_test.py TEST-EXE --wine WINE-RUN --with-xvfb WITH-XVFB

With POSTLING_SHOTS set to a folder, the pictures the test asks for go there.

The test program's GoogleTest report is its result; this script passes on
its exit status.
"""
import argparse
import email.header
import os
import socket
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools"))
import demo_messages  # noqa: E402
from dovecot_harness import Dovecot  # noqa: E402


# Answers NAME.ready in the folder $1 with NAME.png of the display, then
# runs the rest of the arguments.
SHOOTER = r'''
dir=$1; shift
(while :; do
    for f in "$dir"/*.ready; do
        [ -e "$f" ] || continue
        n=$(basename "$f" .ready); sleep 0.5
        import -window root "$dir/$n.png"; rm -f "$f"; touch "$dir/$n.done"
    done
    sleep 0.2
done) & shooter=$!
"$@"; status=$?
kill $shooter
exit $status
'''


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("test_exe")
    ap.add_argument("--wine", required=True)
    ap.add_argument("--with-xvfb", required=True)
    args = ap.parse_args()

    with tempfile.TemporaryDirectory(prefix="postling-mailbox-") as tmp:
        os.chmod(tmp, 0o755)  # Dovecot's auth process runs as another user
        messages = os.path.join(tmp, "messages")
        demo_messages.main(messages)
        ids = []
        with Dovecot(os.path.join(tmp, "server")) as server:
            server.add_user("alice", "s3cret")
            for name in sorted(os.listdir(messages)):
                with open(os.path.join(messages, name), "rb") as f:
                    data = f.read()
                server.add_message("alice", data)
                for line in data.split(b"\r\n"):
                    if line.lower().startswith(b"message-id:"):
                        ids.append(line.split(b":", 1)[1].strip().decode("ascii"))
            # A port that never answers: its listener's queue is full.
            blackhole = socket.socket()
            blackhole.bind(("127.0.0.1", 0))
            blackhole.listen(0)
            filler = socket.create_connection(blackhole.getsockname())
            # The subject each message shows, for the test that deletes one.
            subjects = os.path.join(tmp, "subjects.txt")
            with open(subjects, "w", encoding="utf-8") as f:
                for n, (tag, _, subject) in enumerate(demo_messages.MESSAGES):
                    decoded = str(email.header.make_header(email.header.decode_header(subject)))
                    f.write(f"<demo-{tag}@example.ru>\t{decoded}\n")
            env = dict(os.environ,
                       POSTLING_TEST_SILENT_PORT=str(blackhole.getsockname()[1]),
                       POSTLING_TEST_POP3_PORT=str(server.port),
                       POSTLING_TEST_POP3_LOG=windows_path(os.path.join(server.dir, "dovecot.log")),
                       POSTLING_TEST_MESSAGE_IDS=" ".join(ids),
                       POSTLING_TEST_SUBJECTS=windows_path(subjects),
                       POSTLING_TEST_MAILDIR=windows_path(os.path.dirname(server.maildir("alice"))))
            command = [args.with_xvfb, args.wine, args.test_exe]
            shots = os.environ.get("POSTLING_SHOTS")
            if shots:
                # Pictures of the display where the test asks for them.
                os.makedirs(shots, exist_ok=True)
                env["POSTLING_TEST_SHOT_DIR"] = windows_path(shots)
                command = [args.with_xvfb, "bash", "-c", SHOOTER, "shoot", shots, args.wine, args.test_exe]
            try:
                return subprocess.run(command, env=env).returncode
            finally:
                filler.close()
                blackhole.close()


if __name__ == "__main__":
    sys.exit(main())
