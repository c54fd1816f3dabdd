#!/usr/bin/env python3
"""postcheck against a real POP3 server: Debian's Dovecot on a private
loopback port, with a maildir of Russian messages in several encodings.

    dovecot_test.py POSTCHECK [--wine WINE-RUN]
"""
import argparse
import base64
import calendar
import json
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools"))
from demo_messages import b_word, q_word  # noqa: E402
from dovecot_harness import Dovecot  # noqa: E402

KEYS = ["message_id", "sender_name", "sender_address", "subject", "size", "sent", "received", "seen"]


def utf7_word(text):
    return f"=?utf-7?B?{base64.b64encode(text.encode('utf-7')).decode()}?="


# (Message-ID, From, Subject header value, expected name, address, subject)
MESSAGES = [
    ("<koi8@test>", f"{b_word('koi8-r', 'Иван Петров')} <ivan@example.ru>",
     b_word("koi8-r", "Привет из Москвы"), "Иван Петров", "ivan@example.ru", "Привет из Москвы"),
    ("<cp1251@test>", f"\"{q_word('windows-1251', 'Мария')}\" <maria@example.ru>",
     q_word("windows-1251", "Счёт за ноябрь"), "Мария", "maria@example.ru", "Счёт за ноябрь"),
    ("<utf8@test>", "petr@example.ru", b_word("utf-8", "Ёлка и ёжик — ура ☃"),
     "petr@example.ru", "petr@example.ru", "Ёлка и ёжик — ура ?"),
    ("<utf7@test>", f"{utf7_word('Оля')} <olga@example.ru>", utf7_word("Встреча в пятницу"),
     "Оля", "olga@example.ru", "Встреча в пятницу"),
    ("<plain@test>", "Robot <robot@example.com>", "Weekly report", "Robot", "robot@example.com",
     "Weekly report"),
]

SENT = "Mon, 13 Nov 2000 10:05:07 +0300"
SENT_UTC = calendar.timegm((2000, 11, 13, 10, 5, 7))  # local time, and the tests run in UTC
RECEIVED = "from mx.example.ru by pop.example.ru; Tue, 14 Nov 2000 08:00:00 +0300"
RECEIVED_UTC = calendar.timegm((2000, 11, 14, 8, 0, 0))


def message_bytes(mid, sender, subject):
    header = (f"Received: {RECEIVED}\r\nMessage-ID: {mid}\r\nFrom: {sender}\r\nTo: alice@test\r\n"
              f"Subject: {subject}\r\nDate: {SENT}\r\nContent-Type: text/plain; charset=us-ascii\r\n")
    return (header + "\r\nBody line one.\r\nBody line two.\r\n").encode("ascii")


class DovecotTest(unittest.TestCase):
    postcheck = None
    wine = None

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="postling-dovecot-")
        os.chmod(self.tmp.name, 0o755)  # Dovecot's auth process runs as another user
        self.server = Dovecot(os.path.join(self.tmp.name, "server")).start()
        self.addCleanup(self.tmp.cleanup)
        self.addCleanup(self.server.stop)
        self.server.add_user("alice", "s3cret pass")
        self.sizes = {}
        for mid, sender, subject, *_ in MESSAGES:
            data = message_bytes(mid, sender, subject)
            self.server.add_message("alice", data)
            self.sizes[mid] = len(data)
        self.password = os.path.join(self.tmp.name, "password")
        with open(self.password, "w") as f:
            f.write("s3cret pass\n")

    def run_postcheck(self, *extra, password=None):
        command = [self.postcheck, "--server", "127.0.0.1", "--port", str(self.server.port),
                   "--user", "alice", "--password-file", password or self.password,
                   "--timeout", "10", "--json", *extra]
        if self.wine:
            command.insert(0, self.wine)
        env = dict(os.environ, TZ="UTC")
        result = subprocess.run(command, capture_output=True, env=env, timeout=120)
        out = [json.loads(l) for l in result.stdout.decode("utf-8").splitlines() if l.strip()]
        err = [json.loads(l) for l in result.stderr.decode("utf-8").splitlines() if l.startswith("{")]
        return result.returncode, out, err

    def test_lists_every_message_with_decoded_fields(self):
        code, out, err = self.run_postcheck()
        self.assertEqual(code, 0, err)
        self.assertEqual(err, [])
        self.assertEqual([m["message_id"] for m in out], [m[0] for m in MESSAGES])
        for got, (mid, _, _, name, address, subject) in zip(out, MESSAGES):
            self.assertEqual(list(got.keys()), KEYS)
            self.assertEqual(got["sender_name"], name)
            self.assertEqual(got["sender_address"], address)
            self.assertEqual(got["subject"], subject)
            self.assertEqual(got["size"], self.sizes[mid])
            self.assertEqual(got["sent"], SENT_UTC)
            self.assertEqual(got["received"], RECEIVED_UTC)
            self.assertEqual(got["seen"], 0)
        self.assertEqual(self.server.message_count("alice"), len(MESSAGES))

    def test_seen_identifiers_and_deletion_marks(self):
        code, out, err = self.run_postcheck("--seen", "<utf8@test>", "--delete", "<cp1251@test>")
        self.assertEqual(code, 0, err)
        ids = [m["message_id"] for m in out]
        self.assertNotIn("<cp1251@test>", ids)
        self.assertEqual({m["message_id"]: m["seen"] for m in out}["<utf8@test>"], 1)
        self.assertEqual(sum(m["seen"] for m in out), 1)
        self.assertEqual(len(err), 1)
        self.assertEqual(err[0]["kind"], 0)
        self.assertIn("Мария", err[0]["text"])
        # Exactly the marked message went from the server.
        self.assertEqual(self.server.message_count("alice"), len(MESSAGES) - 1)
        code, out, _ = self.run_postcheck()
        self.assertEqual(code, 0)
        self.assertEqual(sorted(m["message_id"] for m in out),
                         sorted(m[0] for m in MESSAGES if m[0] != "<cp1251@test>"))

    def test_wrong_password_fails_with_an_authorisation_error(self):
        wrong = os.path.join(self.tmp.name, "wrong")
        with open(wrong, "w") as f:
            f.write("not it\n")
        code, out, err = self.run_postcheck(password=wrong)
        self.assertEqual(code, 1)
        self.assertEqual(out, [])
        self.assertEqual(len(err), 1)
        self.assertEqual(err[0]["kind"], 2)
        self.assertTrue(err[0]["text"].startswith("Ошибка авторизации - возможно, указан неверный пароль."),
                        err[0]["text"])
        self.assertIn("сервер: '127.0.0.1'", err[0]["text"])
        # Dovecot's own refusal is quoted, not its answer to QUIT.
        self.assertIn("Authentication failed", err[0]["text"])
        self.assertEqual(self.server.message_count("alice"), len(MESSAGES))

    def test_usage_errors(self):
        command = [self.postcheck, "--server", "127.0.0.1"]
        if self.wine:
            command.insert(0, self.wine)
        self.assertEqual(subprocess.run(command, capture_output=True).returncode, 2)
        code, _, _ = self.run_postcheck("--port", "70000")
        self.assertEqual(code, 2)
        # A password file that is not there: one line saying so, as JSON with --json.
        missing = os.path.join(self.tmp.name, "no such file")
        code, out, err = self.run_postcheck(password=missing)
        self.assertEqual((code, out), (2, []))
        self.assertEqual(len(err), 1)
        self.assertEqual(err[0]["kind"], 2)
        self.assertIn("cannot read the password file", err[0]["text"])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("postcheck")
    ap.add_argument("--wine")
    ap.add_argument("--xml", help="write a JUnit report here")
    args, rest = ap.parse_known_args()
    DovecotTest.postcheck = args.postcheck
    DovecotTest.wine = args.wine
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(DovecotTest)
    ids = [test.id() for test in suite]  # running the suite empties it
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if args.xml:
        write_report(args.xml, ids, result)
    return 0 if result.wasSuccessful() else 1


def write_report(path, ids, result):
    """A JUnit-style report: one testcase per test, failures marked."""
    from xml.sax.saxutils import quoteattr
    failed = {t.id(): text for t, text in result.failures + result.errors}
    skipped = {t.id() for t, _ in result.skipped}
    lines = ["<testsuites>", "<testsuite name=\"dovecot\">"]
    for test_id in ids:
        name = quoteattr(test_id.rsplit(".", 1)[-1])
        if test_id in failed:
            lines.append(f"<testcase name={name}><failure message={quoteattr(failed[test_id][-500:])}/></testcase>")
        elif test_id in skipped:
            lines.append(f"<testcase name={name}><skipped/></testcase>")
        else:
            lines.append(f"<testcase name={name}/>")
    lines += ["</testsuite>", "</testsuites>"]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    sys.exit(main())
