#!/usr/bin/env python3
"""postcheck over TLS. Against Dovecot: TLS from the first byte and STLS,
with good, expired, wrongly named and untrusted certificates, accepted by
fingerprint or not. Against small servers of the test's own: replies cut into
one TLS record per line that arrive together, an old protocol version, and
answers that are not TLS at all.

    tls_test.py POSTCHECK [--wine WINE-RUN --trustca TRUSTCA] [--xml FILE]

Natively the test CAs reach OpenSSL through SSL_CERT_FILE; under Wine trustca
puts them into the prefix's root store for the run and takes them out after.
"""
import argparse
import datetime
import ipaddress
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import unittest
import warnings

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools"))
sys.path.insert(0, HERE)
import tls_test_certs  # noqa: E402
from cryptography import x509  # noqa: E402
from cryptography.hazmat.primitives import hashes, serialization  # noqa: E402
from cryptography.hazmat.primitives.asymmetric import ec  # noqa: E402
from dovecot_harness import Dovecot  # noqa: E402
from dovecot_test import write_report  # noqa: E402

PASSWORD = "s3cret pass"
TLS_FAILED = "Не удалось установить защищенное соединение (TLS) с сервером"
CLOSED = "Соединение неожиданно было прервано сервером."
TIMED_OUT = "Превышено установленное время ожидания ответа сервера."
# What each certificate's error says about it.
REASONS = {
    "expired": "просрочен или еще не вступил в силу",
    "wrongname": "выдан для другого имени сервера",
    "untrusted": "не заверен доверенным центром сертификации",
}


def grouped(fingerprint):
    return ":".join(fingerprint[i:i + 2] for i in range(0, len(fingerprint), 2))


def message(number):
    return (f"Message-ID: <{number}@tls.test>\r\nFrom: Sender {number} <s{number}@example.ru>\r\n"
            f"Subject: Message {number}\r\nDate: Mon, 13 Nov 2000 10:05:07 +0300\r\n\r\n"
            f"Body {number}.\r\n").encode("ascii")


MESSAGES = [message(n) for n in range(1, 4)]
MESSAGE_IDS = [f"<{n}@tls.test>" for n in range(1, 4)]


class Certificates:
    """The test certificates, plus a CA of the test's own whose leaf names the
    loopback address (an IP address, not a DNS name)."""

    def __init__(self, directory):
        self.dir = directory
        tls_test_certs.make_all(directory, host="localhost")
        ca_key, ca_cert = tls_test_certs.make_ca("Postling IP Test CA")
        with open(self.path("ipca.der"), "wb") as f:
            f.write(ca_cert.public_bytes(serialization.Encoding.DER))
        key = ec.generate_private_key(ec.SECP256R1())
        now = datetime.datetime.now(datetime.timezone.utc)
        builder = (x509.CertificateBuilder()
                .subject_name(x509.Name([x509.NameAttribute(x509.NameOID.COMMON_NAME, "127.0.0.1")]))
                .issuer_name(ca_cert.subject).public_key(key.public_key())
                .serial_number(x509.random_serial_number())
                .not_valid_before(now - datetime.timedelta(days=1))
                .not_valid_after(now + datetime.timedelta(days=30))
                .add_extension(x509.SubjectAlternativeName([x509.IPAddress(ipaddress.ip_address("127.0.0.1"))]),
                               critical=False)
                .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
                .add_extension(x509.ExtendedKeyUsage([x509.oid.ExtendedKeyUsageOID.SERVER_AUTH]),
                               critical=False))
        leaf = tls_test_certs.sign(builder, ca_key)
        tls_test_certs.write(directory, "ip", key, leaf)
        # Both CAs, for OpenSSL.
        with open(self.path("ca.pem"), "rb") as f:
            bundle = f.read() + ca_cert.public_bytes(serialization.Encoding.PEM)
        with open(self.path("trusted.pem"), "wb") as f:
            f.write(bundle)

    def path(self, name):
        return os.path.join(self.dir, name)

    def pair(self, name):
        return self.path(name + ".crt"), self.path(name + ".key")

    def fingerprint(self, name):
        with open(self.path(name + ".sha256")) as f:
            return f.read().strip()

    def trusted_cas(self):
        return [self.path("ca.der"), self.path("ipca.der")]


class PostcheckCase(unittest.TestCase):
    postcheck = None
    wine = None
    certs = None

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="postling-tls-")
        self.addCleanup(self.tmp.cleanup)
        os.chmod(self.tmp.name, 0o755)  # Dovecot's auth process runs as another user
        self.password = os.path.join(self.tmp.name, "password")
        with open(self.password, "w") as f:
            f.write(PASSWORD + "\n")

    def run_postcheck(self, port, *extra, host="localhost", timeout=10):
        command = [self.postcheck, "--server", host, "--port", str(port), "--user", "alice",
                   "--password-file", self.password, "--timeout", str(timeout), "--json", *extra]
        if self.wine:
            command.insert(0, self.wine)
        env = dict(os.environ, TZ="UTC", SSL_CERT_FILE=self.certs.path("trusted.pem"))
        env.pop("SSL_CERT_DIR", None)
        result = subprocess.run(command, capture_output=True, env=env, timeout=120)
        out = [json.loads(l) for l in result.stdout.decode("utf-8").splitlines() if l.strip()]
        err = [json.loads(l) for l in result.stderr.decode("utf-8").splitlines() if l.startswith("{")]
        return result.returncode, out, err

    def assertListed(self, outcome):
        code, out, err = outcome
        self.assertEqual((code, err), (0, []))
        self.assertEqual([m["message_id"] for m in out], MESSAGE_IDS)

    def assertFailed(self, outcome, text):
        """Exit 1 with one error record that starts with `text`, no fingerprint."""
        code, out, err = outcome
        self.assertEqual(code, 1, err)
        self.assertEqual(out, [])
        self.assertEqual(len(err), 1, err)
        self.assertTrue(err[0]["text"].startswith(text), err[0]["text"])
        self.assertNotIn("fingerprint", err[0])


class DovecotTlsTest(PostcheckCase):
    def setUp(self):
        super().setUp()
        self.server = Dovecot(os.path.join(self.tmp.name, "server"),
                              certificate=self.certs.pair("good")).start()
        self.addCleanup(self.server.stop)
        self.server.add_user("alice", PASSWORD)
        for data in MESSAGES:
            self.server.add_message("alice", data)

    def assertCertificateError(self, outcome, served, problem=None, host="localhost"):
        """Exit 1 with one certificate error about `served` (a certificate's
        name) that says what `problem` (a certificate's name) has."""
        code, out, err = outcome
        self.assertEqual(code, 1, err)
        self.assertEqual(out, [])
        self.assertEqual(len(err), 1, err)
        record = err[0]
        self.assertEqual(record["kind"], 2)
        self.assertEqual(record["fingerprint"], self.certs.fingerprint(served))
        self.assertTrue(record["text"].startswith(f"Сертификат сервера '{host}' "), record["text"])
        self.assertIn(REASONS[problem or served], record["text"])
        self.assertIn(grouped(self.certs.fingerprint(served)), record["text"])

    def test_tls_and_stls_list_the_mailbox(self):
        for mode, port in (("--tls", self.server.tls_port), ("--stls", self.server.port)):
            with self.subTest(mode):
                self.assertListed(self.run_postcheck(port, mode))

    def test_failing_certificates_are_refused_unless_accepted_by_fingerprint(self):
        for name in ("expired", "wrongname", "untrusted"):
            with self.subTest(name):
                self.server.use_certificate(*self.certs.pair(name))
                own = self.certs.fingerprint(name)
                for mode, port in (("--tls", self.server.tls_port), ("--stls", self.server.port)):
                    self.assertCertificateError(self.run_postcheck(port, mode), name)
                # As a person types it: pairs with colons, lower case.
                self.assertListed(self.run_postcheck(self.server.tls_port, "--tls",
                                                     "--accept-fingerprint", grouped(own).lower()))
                self.assertListed(self.run_postcheck(self.server.port, "--stls", "--accept-fingerprint", own))
                other = self.certs.fingerprint("good")
                self.assertCertificateError(
                    self.run_postcheck(self.server.tls_port, "--tls", "--accept-fingerprint", other), name)
                self.assertEqual(self.server.message_count("alice"), len(MESSAGES))

    def test_of_several_problems_the_most_specific_is_named(self):
        # Every check runs; the first of expired, wrong name, untrusted that applies is named.
        for served, problem in (("untrusted", "wrongname"), ("expired", "expired")):
            with self.subTest(served):
                self.server.use_certificate(*self.certs.pair(served))
                self.assertCertificateError(self.run_postcheck(self.server.tls_port, "--tls", host="127.0.0.1"),
                                            served, problem, host="127.0.0.1")

    def test_a_good_certificate_passes_whatever_fingerprint_is_accepted(self):
        self.assertListed(self.run_postcheck(self.server.tls_port, "--tls", "--accept-fingerprint",
                                             self.certs.fingerprint("expired")))

    def test_an_address_is_checked_against_the_addresses_the_certificate_names(self):
        # The DNS name "localhost" does not name 127.0.0.1, nor the reverse.
        self.assertCertificateError(self.run_postcheck(self.server.tls_port, "--tls", host="127.0.0.1"),
                                    "good", "wrongname", host="127.0.0.1")
        self.server.use_certificate(*self.certs.pair("ip"))
        self.assertListed(self.run_postcheck(self.server.tls_port, "--tls", host="127.0.0.1"))
        self.assertCertificateError(self.run_postcheck(self.server.tls_port, "--tls"), "ip", "wrongname")


class TlsServer:
    """One connection at a time on a private loopback port, in a thread:
    `serve(connection)` gets each accepted socket."""

    def __init__(self, serve):
        self._serve = serve
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        self._stopping = False
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        while not self._stopping:
            try:
                connection, _ = self.listener.accept()
            except OSError:
                return
            with connection:
                connection.settimeout(30)
                try:
                    self._serve(connection)
                except (OSError, ssl.SSLError):
                    pass

    def stop(self):
        self._stopping = True
        self.listener.shutdown(socket.SHUT_RDWR)  # ends the accept under way
        self.listener.close()
        self._thread.join(10)


class RecordPop3:
    """A POP3 mailbox over TLS (memory BIOs) that writes every line of a reply
    as a TLS record of its own and sends a whole reply in one write, so that
    several records arrive together."""

    def __init__(self, context, messages):
        self.context = context
        self.messages = messages

    def __call__(self, connection):
        incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
        tls = self.context.wrap_bio(incoming, outgoing, server_side=True)

        def flush():
            data = outgoing.read()
            if data:
                connection.sendall(data)

        def fill():
            data = connection.recv(65536)
            if not data:
                raise ConnectionError("closed")
            incoming.write(data)

        while True:
            try:
                tls.do_handshake()
                break
            except ssl.SSLWantReadError:
                flush()
                fill()
            except ssl.SSLError:
                flush()  # the alert
                raise

        def reply(*lines):
            for line in lines:
                tls.write(line.encode("ascii") + b"\r\n")
            flush()

        # The end of the handshake (and the session tickets) go out with the greeting.
        reply("+OK records ready")
        pending = b""
        while True:
            while b"\n" not in pending:
                try:
                    pending += tls.read(4096)
                except ssl.SSLWantReadError:
                    fill()
            line, pending = pending.split(b"\n", 1)
            words = line.decode("ascii", errors="replace").split() or [""]
            verb, args = words[0], words[1:]
            number = int(args[0]) if args and args[0].isdigit() else 0
            if verb in ("USER", "PASS"):
                reply("+OK")
            elif verb == "STAT":
                reply(f"+OK {len(self.messages)} {sum(len(m) for m in self.messages)}")
            elif verb == "LIST" and 1 <= number <= len(self.messages):
                reply(f"+OK {number} {len(self.messages[number - 1])}")
            elif verb == "TOP" and 1 <= number <= len(self.messages):
                header = self.messages[number - 1].split(b"\r\n\r\n")[0].decode("ascii")
                reply("+OK", *header.split("\r\n"), "", ".")
            elif verb == "QUIT":
                reply("+OK bye")
                return
            else:
                reply("-ERR unknown")


def server_context(certs, name, version=None):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*certs.pair(name))
    if version is not None:
        if version < ssl.TLSVersion.TLSv1_2:  # needs a lower security level
            context.set_ciphers("DEFAULT:@SECLEVEL=0")
        with warnings.catch_warnings():  # old versions are deprecated, on purpose here
            warnings.simplefilter("ignore", DeprecationWarning)
            context.minimum_version = context.maximum_version = version
    return context


class OwnServerTest(PostcheckCase):
    def start(self, serve):
        server = TlsServer(serve)
        self.addCleanup(server.stop)
        return server

    def test_lines_in_records_of_their_own_arriving_together(self):
        # TLS 1.2, and the newest version both sides speak (1.3 with OpenSSL).
        for label, version in (("TLS 1.2", ssl.TLSVersion.TLSv1_2), ("newest", None)):
            with self.subTest(label):
                server = self.start(RecordPop3(server_context(self.certs, "good", version), MESSAGES))
                # A wait on the socket for records already read would time out.
                self.assertListed(self.run_postcheck(server.port, "--tls", timeout=3))

    def test_a_protocol_older_than_tls_1_2_is_refused(self):
        server = self.start(RecordPop3(server_context(self.certs, "good", ssl.TLSVersion.TLSv1_1), MESSAGES))
        # The server must really speak TLS 1.1, or the refusal proves nothing.
        client = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
        client.check_hostname, client.verify_mode = False, ssl.CERT_NONE
        client.set_ciphers("DEFAULT:@SECLEVEL=0")
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)
            client.minimum_version = ssl.TLSVersion.TLSv1_1
        try:
            with socket.create_connection(("127.0.0.1", server.port), timeout=5) as raw, \
                    client.wrap_socket(raw) as tls:
                tls.recv(64)
                tls.sendall(b"QUIT\r\n")
                tls.recv(64)
        except (OSError, ssl.SSLError) as error:
            self.skipTest(f"this OpenSSL will not speak TLS 1.1: {error}")
        self.assertFailed(self.run_postcheck(server.port, "--tls"), TLS_FAILED)

    def test_answers_that_are_not_tls(self):
        cases = [
            ("a plain POP3 greeting", b"+OK POP3 server ready\r\n"),
            ("a record longer than TLS allows", b"\x16\x03\x03\xff\xff" + b"\x00" * 512),
            ("an alert of nonsense", b"\x15\x03\x03\x00\x02\xff\xff"),
            ("a server hello too short to be one", b"\x16\x03\x03\x00\x08\x02\x00\x00\x04\xff\xff\xff\xff"),
        ]
        for label, answer in cases:
            with self.subTest(label):
                def serve(connection, answer=answer):
                    connection.recv(4096)  # the client hello
                    connection.sendall(answer)
                    connection.recv(4096)  # until the client gives up
                server = self.start(serve)
                self.assertFailed(self.run_postcheck(server.port, "--tls", timeout=5), TLS_FAILED)

    def test_a_server_that_closes_or_falls_silent_during_the_handshake(self):
        def close(connection):
            connection.recv(4096)

        def half_a_record(connection):
            connection.recv(4096)
            connection.sendall(b"\x16\x03\x03\x01\x00" + b"\x02" * 16)
            connection.recv(4096)

        def silent(connection):
            connection.recv(4096)
            connection.recv(4096)

        for label, serve, text in (("closed", close, CLOSED), ("silent", silent, TIMED_OUT),
                                   ("half a record", half_a_record, TIMED_OUT)):
            with self.subTest(label):
                server = self.start(serve)
                self.assertFailed(self.run_postcheck(server.port, "--tls", timeout=2), text)


def trust(trustca, wine, certs, remove=False):
    for der in certs.trusted_cas():
        command = [wine, trustca] + (["--remove"] if remove else []) + [der]
        result = subprocess.run(command, capture_output=True, timeout=120)
        if result.returncode != 0 and not remove:
            sys.exit(f"trustca failed on {der}: {result.stderr.decode(errors='replace')}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("postcheck")
    ap.add_argument("--wine")
    ap.add_argument("--trustca", help="trustca.exe, to trust the test CAs under Wine")
    ap.add_argument("--xml", help="write a JUnit report here")
    args = ap.parse_args()
    if args.wine and not args.trustca:
        ap.error("--wine needs --trustca")
    PostcheckCase.postcheck = args.postcheck
    PostcheckCase.wine = args.wine
    with tempfile.TemporaryDirectory(prefix="postling-tls-certs-") as directory:
        os.chmod(directory, 0o755)  # Dovecot reads the server certificates as itself
        certs = PostcheckCase.certs = Certificates(directory)
        if args.wine:
            trust(args.trustca, args.wine, certs)
        try:
            suite = unittest.TestSuite(unittest.defaultTestLoader.loadTestsFromTestCase(case)
                                       for case in (DovecotTlsTest, OwnServerTest))
            ids = [test.id() for group in suite for test in group]  # running the suite empties it
            result = unittest.TextTestRunner(verbosity=2).run(suite)
        finally:
            if args.wine:
                trust(args.trustca, args.wine, certs, remove=True)
    if args.xml:
        write_report(args.xml, ids, result)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
