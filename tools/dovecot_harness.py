#!/usr/bin/env python3
"""A private Dovecot POP3 server on a free loopback port, for tests, benchmarks
and the demo. Everything lives in one directory: configuration, passwd file,
maildirs, logs, sockets. Its parent folders must be open to other users:
Dovecot's log-in and mail processes do not run as the caller.

As a module:
    with Dovecot(workdir) as server:
        server.add_user("alice", "secret")
        server.add_message("alice", raw_bytes)
        ... connect to 127.0.0.1:server.port ...

With a certificate (PEM files) the plain port also offers STLS and a second
port, server.tls_port, speaks TLS from the first byte:
    with Dovecot(workdir, certificate=("good.crt", "good.key")) as server:
        ...
        server.use_certificate("expired.crt", "expired.key")  # reloads it

From the shell:
    dovecot_harness.py start DIR --user NAME --password PASS [--messages SRCDIR]
                       [--cert CRT --key KEY]
        starts the server, prints its port (then its TLS port), leaves it running
    dovecot_harness.py stop DIR
"""
import argparse
import hashlib
import os
import pwd
import shutil
import socket
import ssl
import subprocess
import sys
import time

DOVECOT = shutil.which("dovecot") or "/usr/sbin/dovecot"


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def mail_owner():
    """uid and gid that own the maildirs: Dovecot refuses to serve mail as root."""
    if os.getuid() != 0:
        return os.getuid(), os.getgid()
    try:
        entry = pwd.getpwnam("nobody")
        return entry.pw_uid, entry.pw_gid
    except KeyError:
        return 65534, 65534


CONFIG = """\
base_dir = {dir}/run
state_dir = {dir}/state
log_path = {dir}/dovecot.log
info_log_path = {dir}/dovecot.log
protocols = pop3
listen = 127.0.0.1
{ssl}
disable_plaintext_auth = no
auth_mechanisms = plain
mail_location = maildir:{dir}/mail/%u
pop3_uidl_format = %08Xu%08Xv
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {dir}/passwd
}}
userdb {{
  driver = static
  args = uid={uid} gid={gid} home={dir}/home/%u
}}
service pop3-login {{
  inet_listener pop3 {{
    address = 127.0.0.1
    port = {port}
  }}
{tls_listener}  chroot =
}}
service imap-login {{
  chroot =
}}
service anvil {{
  chroot =
}}
"""

TLS_SETTINGS = """\
ssl = yes
ssl_cert = <{dir}/tls/server.crt
ssl_key = <{dir}/tls/server.key
ssl_min_protocol = TLSv1.2"""

TLS_LISTENER = """\
  inet_listener pop3s {{
    address = 127.0.0.1
    port = {tls_port}
    ssl = yes
  }}
"""


class Dovecot:
    def __init__(self, workdir, certificate=None):
        """certificate: (certificate file, key file), PEM; None for plain POP3 only."""
        self.dir = os.path.abspath(workdir)
        self.port = None
        self.tls_port = None
        self.certificate = certificate
        self.uid, self.gid = mail_owner()
        self._counter = 0

    @property
    def config(self):
        return os.path.join(self.dir, "dovecot.conf")

    def start(self):
        os.makedirs(os.path.join(self.dir, "mail"), exist_ok=True)
        os.chmod(self.dir, 0o755)
        passwd = os.path.join(self.dir, "passwd")
        if not os.path.exists(passwd):
            open(passwd, "w").close()
        if self.certificate:
            self._install_certificate()
        for attempt in range(5):
            # A restart keeps the ports it had, while they are free.
            if attempt > 0 or self.port is None:
                self.port = free_port()
                self.tls_port = free_port() if self.certificate else None
            self._write_config()
            subprocess.run([DOVECOT, "-c", self.config], check=True)
            if self._wait_listening():
                return self
            self.stop()
        raise RuntimeError(f"dovecot did not start; see {self.dir}/dovecot.log")

    def use_certificate(self, certificate, key):
        """Serves another certificate from now on (TLS servers only): a reload,
        or a restart on the same ports if the reload does not take."""
        if not self.certificate:
            raise ValueError("the server was started without TLS")
        self.certificate = (certificate, key)
        self._install_certificate()
        with open(certificate) as f:
            wanted = hashlib.sha256(ssl.PEM_cert_to_DER_cert(f.read())).digest()
        subprocess.run([DOVECOT, "-c", self.config, "reload"], check=True)
        deadline = time.time() + 10
        while time.time() < deadline:
            if self.served_certificate() == wanted:
                return self
            time.sleep(0.05)
        self.stop()
        return self.start()

    def served_certificate(self):
        """SHA-256 of the certificate the TLS port presents now, or None."""
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
        context.check_hostname = False
        context.verify_mode = ssl.CERT_NONE
        try:
            with socket.create_connection(("127.0.0.1", self.tls_port), timeout=2) as raw, \
                    context.wrap_socket(raw) as tls:
                return hashlib.sha256(tls.getpeercert(binary_form=True)).digest()
        except (OSError, ssl.SSLError):
            return None

    def _install_certificate(self):
        # Dovecot reads them when it starts; copies keep the caller's files
        # free to change.
        tls = os.path.join(self.dir, "tls")
        os.makedirs(tls, mode=0o700, exist_ok=True)
        for source, name in zip(self.certificate, ("server.crt", "server.key")):
            shutil.copyfile(source, os.path.join(tls, name))
            os.chmod(os.path.join(tls, name), 0o600)

    def _write_config(self):
        tls = bool(self.certificate)
        with open(self.config, "w") as f:
            f.write(CONFIG.format(
                dir=self.dir, port=self.port, uid=self.uid, gid=self.gid,
                ssl=TLS_SETTINGS.format(dir=self.dir) if tls else "ssl = no",
                tls_listener=TLS_LISTENER.format(tls_port=self.tls_port) if tls else ""))

    def _wait_listening(self, seconds=10):
        deadline = time.time() + seconds
        while time.time() < deadline:
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1) as s:
                    if s.recv(64).startswith(b"+OK"):
                        break
            except OSError:
                time.sleep(0.05)
        else:
            return False
        if self.tls_port is None:
            return True
        # Both listeners open together; this one only has to accept.
        try:
            socket.create_connection(("127.0.0.1", self.tls_port), timeout=1).close()
            return True
        except OSError:
            return False

    def stop(self):
        if os.path.exists(self.config):
            subprocess.run([DOVECOT, "-c", self.config, "stop"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The master exits asynchronously; wait for its pid file to go.
        pidfile = os.path.join(self.dir, "run", "master.pid")
        deadline = time.time() + 10
        while os.path.exists(pidfile) and time.time() < deadline:
            time.sleep(0.05)

    def add_user(self, name, password):
        if any(c in name + password for c in ":\n"):
            raise ValueError("user name and password may not contain ':' or a line feed")
        with open(os.path.join(self.dir, "passwd"), "a") as f:
            f.write(f"{name}:{{PLAIN}}{password}\n")
        for sub in ("cur", "new", "tmp"):
            os.makedirs(self.maildir(name, sub), exist_ok=True)
        self._chown(os.path.join(self.dir, "mail", name))

    def maildir(self, user, sub="new"):
        return os.path.join(self.dir, "mail", user, sub)

    def add_message(self, user, data):
        """Delivers one message (bytes, CR LF or LF lines); returns its file name."""
        self._counter += 1
        name = f"{int(time.time())}.M{self._counter:06d}P{os.getpid()}.postling"
        path = os.path.join(self.maildir(user), name)
        with open(path, "wb") as f:
            f.write(data.replace(b"\r\n", b"\n"))
        os.chown(path, self.uid, self.gid)
        return name

    def message_count(self, user):
        return sum(len(os.listdir(self.maildir(user, sub))) for sub in ("new", "cur"))

    def _chown(self, top):
        for root, dirs, files in os.walk(top):
            for entry in [root] + [os.path.join(root, n) for n in dirs + files]:
                os.chown(entry, self.uid, self.gid)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest="command", required=True)
    start = sub.add_parser("start")
    start.add_argument("dir")
    start.add_argument("--user", required=True)
    start.add_argument("--password", required=True)
    start.add_argument("--messages", help="a folder of message files to deliver")
    start.add_argument("--cert", help="server certificate (PEM): TLS on a second port, STLS on the first")
    start.add_argument("--key", help="its private key (PEM)")
    stop = sub.add_parser("stop")
    stop.add_argument("dir")
    args = ap.parse_args()

    if args.command == "stop":
        Dovecot(args.dir).stop()
        return 0
    if bool(args.cert) != bool(args.key):
        ap.error("--cert and --key go together")
    server = Dovecot(args.dir, certificate=(args.cert, args.key) if args.cert else None)
    server.start()
    server.add_user(args.user, args.password)
    if args.messages:
        for name in sorted(os.listdir(args.messages)):
            with open(os.path.join(args.messages, name), "rb") as f:
                server.add_message(args.user, f.read())
    print(server.port)
    if server.tls_port:
        print(server.tls_port)
    return 0


if __name__ == "__main__":
    sys.exit(main())
