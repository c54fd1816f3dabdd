#!/usr/bin/env python3
"""The platform TLS session against local servers: Python's ssl module on
loopback ports, one per behaviour (good, expired, wrongly named and
untrusted certificates, old protocol, silent, closing, plain-text and
hostile servers) and openssl s_server asking for a renegotiation, then the
test program that drives CreateTlsSession.

    tls_session_test.py TEST-EXE [--wine WINE-RUN --trustca TRUSTCA-EXE] [TEST-ARGS...]

Natively the test CA reaches OpenSSL through SSL_CERT_FILE; under Wine
trustca.exe puts it into the prefix's root store for the run. The test
program's GoogleTest report is its result; this script passes on its exit
status.
"""
import argparse
import datetime
import ipaddress
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import warnings

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools"))
import tls_test_certs  # noqa: E402
from cryptography import x509  # noqa: E402
from cryptography.hazmat.primitives import hashes, serialization  # noqa: E402
from cryptography.hazmat.primitives.asymmetric import ec  # noqa: E402

GREETING = b"+OK POP3 ready\r\n"
MAX_LINE = 1000


def big_pattern(n):
    return bytes((i * 7 + 3) % 251 for i in range(n))


def write_ip_certificate(directory):
    """ipca.pem/ipca.der, a second test CA, and ipsan.*: a server certificate
    it signed for the address 127.0.0.1 (an IP name, no DNS name)."""
    ca_key, ca_cert = tls_test_certs.make_ca("Postling Test IP CA")
    for name, encoding in (("ipca.pem", serialization.Encoding.PEM), ("ipca.der", serialization.Encoding.DER)):
        with open(os.path.join(directory, name), "wb") as f:
            f.write(ca_cert.public_bytes(encoding))
    key = ec.generate_private_key(ec.SECP256R1())
    now = datetime.datetime.now(datetime.timezone.utc)
    builder = (x509.CertificateBuilder()
            .subject_name(tls_test_certs._name("127.0.0.1")).issuer_name(ca_cert.subject)
            .public_key(key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(now - datetime.timedelta(days=1)).not_valid_after(now + datetime.timedelta(days=30))
            .add_extension(x509.SubjectAlternativeName([x509.IPAddress(ipaddress.ip_address("127.0.0.1"))]),
                           critical=False)
            .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
            .add_extension(x509.ExtendedKeyUsage([x509.oid.ExtendedKeyUsageOID.SERVER_AUTH]), critical=False))
    cert = tls_test_certs.sign(builder, ca_key)
    tls_test_certs.write(directory, "ipsan", key, cert)


class Connection:
    """One TLS connection over memory BIOs, so that the server can also put
    raw bytes on the wire."""

    def __init__(self, sock, context):
        self.sock = sock
        self.incoming = ssl.MemoryBIO()
        self.outgoing = ssl.MemoryBIO()
        self.tls = context.wrap_bio(self.incoming, self.outgoing, server_side=True)

    def flush(self):
        data = self.outgoing.read()
        if data:
            self.sock.sendall(data)

    def feed(self):
        data = self.sock.recv(65536)
        if not data:
            raise EOFError
        self.incoming.write(data)

    def handshake(self):
        while True:
            try:
                self.tls.do_handshake()
                break
            except ssl.SSLWantReadError:
                self.flush()
                self.feed()
            except ssl.SSLError:
                self.flush()  # the alert, as a real server sends it
                raise
        self.flush()

    def write(self, data):
        self.tls.write(data)
        self.flush()

    def read(self):
        """Some bytes; b"" once the client's close notification came."""
        while True:
            try:
                return self.tls.read(65536)
            except ssl.SSLZeroReturnError:
                return b""
            except ssl.SSLWantReadError:
                self.flush()
                self.feed()


class Servers:
    def __init__(self, certs):
        self.certs = certs
        self.closes = 0  # close notifications received from clients
        self.lock = threading.Lock()
        self.listeners = []
        self.open = []
        self.ports = {}

    def context(self, name, minimum=ssl.TLSVersion.TLSv1_2, maximum=ssl.TLSVersion.MAXIMUM_SUPPORTED):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        with warnings.catch_warnings():  # TLS 1.1 on purpose
            warnings.simplefilter("ignore", DeprecationWarning)
            if minimum < ssl.TLSVersion.TLSv1_2:
                context.set_ciphers("DEFAULT:@SECLEVEL=0")
            context.minimum_version = minimum
            context.maximum_version = maximum
        context.load_cert_chain(os.path.join(self.certs, name + ".crt"), os.path.join(self.certs, name + ".key"))
        return context

    def start(self):
        good = self.context("good")
        handlers = {
            "good": lambda s: self.pop3(s, good),
            "expired": lambda s, c=self.context("expired"): self.pop3(s, c),
            "wrongname": lambda s, c=self.context("wrongname"): self.pop3(s, c),
            "untrusted": lambda s, c=self.context("untrusted"): self.pop3(s, c),
            "ipsan": lambda s, c=self.context("ipsan"): self.pop3(s, c),
            "tls12": lambda s, c=self.context("good", maximum=ssl.TLSVersion.TLSv1_2): self.pop3(s, c),
            "tls13": lambda s, c=self.context("good", minimum=ssl.TLSVersion.TLSv1_3): self.pop3(s, c),
            "tls11": lambda s, c=self.context("good", ssl.TLSVersion.TLSv1_1, ssl.TLSVersion.TLSv1_1):
                self.pop3(s, c),
            "closer": self.closer,
            "silent": self.silent,
            "plain": self.plain,
            "badrecord": lambda s: self.hostile(s, good, b"\x17\x03\x03\x00\x20" + bytes(range(32))),
            "hugerecord": lambda s: self.hostile(s, good, b"\x17\x03\x03\xff\xff" + b"\0" * 4096),
        }
        for name, handler in handlers.items():
            listener = socket.socket()
            listener.bind(("127.0.0.1", 0))
            listener.listen(8)
            self.listeners.append(listener)
            self.ports[name] = listener.getsockname()[1]
            threading.Thread(target=self.accept, args=(listener, handler), daemon=True).start()
        return self

    def stop(self):
        for s in self.listeners + self.open:
            try:
                s.close()
            except OSError:
                pass

    def accept(self, listener, handler):
        while True:
            try:
                sock, _ = listener.accept()
            except OSError:
                return
            self.open.append(sock)
            threading.Thread(target=self.serve, args=(sock, handler), daemon=True).start()

    @staticmethod
    def serve(sock, handler):
        try:
            handler(sock)
        except (OSError, EOFError, ssl.SSLError):
            pass
        finally:
            sock.close()

    def pop3(self, sock, context):
        c = Connection(sock, context)
        c.handshake()
        c.write(GREETING)
        buffered = b""
        while True:
            while b"\r\n" not in buffered:
                if len(buffered) > MAX_LINE:
                    return
                data = c.read()
                if not data:
                    with self.lock:
                        self.closes += 1
                    return
                buffered += data
            line, buffered = buffered.split(b"\r\n", 1)
            word, _, argument = line.partition(b" ")
            if word == b"BIG":  # BIG n: n bytes of the pattern
                c.write(big_pattern(int(argument)))
            elif word == b"DATA":  # DATA n, then n bytes: their count and sum
                n = int(argument)
                while len(buffered) < n:
                    data = c.read()
                    if not data:
                        return
                    buffered += data
                data, buffered = buffered[:n], buffered[n:]
                c.write(b"+OK %d %d\r\n" % (len(data), sum(data)))
            elif word == b"CLOSES":
                with self.lock:
                    c.write(b"+OK %d\r\n" % self.closes)
            elif word == b"QUIT":  # answer and close notification; the client closes
                c.write(b"+OK bye\r\n")
                try:
                    c.tls.unwrap()
                except ssl.SSLWantReadError:
                    pass
                c.flush()
                while sock.recv(65536):
                    pass
                return
            elif word == b"DROP":  # the connection ends without a close notification
                return
            else:
                c.write(b"+OK " + line + b"\r\n")

    @staticmethod
    def closer(sock):
        sock.recv(65536)  # the client's hello, then the connection ends

    @staticmethod
    def silent(sock):
        while sock.recv(65536):
            pass

    @staticmethod
    def plain(sock):
        sock.sendall(b"+OK POP3 server ready <1.2@test>\r\n")
        while sock.recv(65536):
            pass

    @staticmethod
    def hostile(sock, context, junk):
        c = Connection(sock, context)
        c.handshake()
        c.write(GREETING)
        c.read()
        sock.sendall(junk)
        while sock.recv(65536):
            pass


class RenegotiatingServer:
    """openssl s_server, TLS 1.2: once a client is in, it asks for a new
    handshake (HelloRequest) and then sends a line."""

    def __init__(self, certs):
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        self.port = probe.getsockname()[1]
        probe.close()
        self.process = subprocess.Popen(
            ["openssl", "s_server", "-tls1_2", "-accept", f"127.0.0.1:{self.port}",
             "-cert", os.path.join(certs, "good.crt"), "-key", os.path.join(certs, "good.key")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        threading.Thread(target=self.drive, daemon=True).start()

    def drive(self):
        # s_server renegotiates on a read of "R\n" alone and sends any other
        # line: they go apart in time.
        for line in self.process.stdout:
            if line.startswith(b"CIPHER is"):
                self.process.stdin.write(b"R\n")
                self.process.stdin.flush()
                time.sleep(0.5)
                self.process.stdin.write(b"after renegotiation\n")
                self.process.stdin.flush()

    def stop(self):
        self.process.kill()
        self.process.wait()


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("test_exe")
    ap.add_argument("--wine")
    ap.add_argument("--trustca")
    args, test_args = ap.parse_known_args()  # the rest goes to the test program

    with tempfile.TemporaryDirectory(prefix="postling-tls-") as tmp:
        tls_test_certs.make_all(tmp)
        write_ip_certificate(tmp)
        with open(os.path.join(tmp, "cas.pem"), "wb") as f:
            for name in ("ca.pem", "ipca.pem"):
                with open(os.path.join(tmp, name), "rb") as ca:
                    f.write(ca.read())
        servers = Servers(tmp).start()
        renegotiating = RenegotiatingServer(tmp)
        servers.ports["renegotiate"] = renegotiating.port
        env = dict(os.environ,
                   POSTLING_TLS_PORTS=" ".join(f"{k}={v}" for k, v in servers.ports.items()),
                   POSTLING_TLS_CERTS=windows_path(tmp) if args.wine else tmp,
                   SSL_CERT_FILE=os.path.join(tmp, "cas.pem"))
        command = [args.test_exe, *test_args]
        trusted = []
        try:
            if args.wine:
                command.insert(0, args.wine)
                for ca in ("ca.der", "ipca.der"):
                    path = os.path.join(tmp, ca)
                    subprocess.run([args.wine, args.trustca, path], check=True, timeout=120)
                    trusted.append(path)
            return subprocess.run(command, env=env, timeout=600).returncode
        finally:
            for path in trusted:
                subprocess.run([args.wine, args.trustca, "--remove", path], timeout=120)
            servers.stop()
            renegotiating.stop()


if __name__ == "__main__":
    sys.exit(main())
