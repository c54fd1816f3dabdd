#!/usr/bin/env python3
"""Times postcheck against a minimal POP3 client on the same Dovecot server.

    bench_check.py POSTCHECK POPCLIENT [--messages N] [--rounds R]

Both list N generated messages (headers of 1 to 3 KB) with USER, PASS, STAT,
LIST i and TOP i 0 for every message, and QUIT. The rounds alternate the
programs; the best time of each is compared. postcheck also checks the same
mailbox over TLS (unless --no-tls), compared with the plain minimal client
in "tls-check-ratio: R". The last line is "check-ratio: R" (postcheck time /
minimal client time).
"""
import argparse
import base64
import os
import random
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from dovecot_harness import Dovecot  # noqa: E402
from tls_test_certs import make_all as make_certificates  # noqa: E402

WORDS = ["почта", "отчёт", "встреча", "проект", "счёт", "письмо", "новости", "сервер",
         "report", "meeting", "invoice", "weekly", "update", "status"]


def encoded(text, charset):
    return f"=?{charset}?B?{base64.b64encode(text.encode(charset)).decode()}?="


def generate(rng, n):
    """One message whose header block is 1 to 3 KB."""
    charset = rng.choice(["koi8-r", "windows-1251", "utf-8"])
    subject = " ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 9)))
    lines = [
        f"Received: from relay{n % 50}.example.ru by pop.example.ru; Tue, 14 Nov 2000 08:{n % 60:02d}:00 +0300",
        f"Message-ID: <{n}.{rng.getrandbits(48):x}@example.ru>",
        f"From: {encoded('Отправитель ' + str(n % 97), charset)} <sender{n % 97}@example.ru>",
        "To: alice@example.ru",
        f"Subject: {encoded(subject, charset)}",
        f"Date: Mon, 13 Nov 2000 10:{n % 60:02d}:07 +0300",
        f"Content-Type: text/plain; charset={charset}",
    ]
    target = rng.randint(1024, 3072)
    i = 0
    while sum(len(l) + 2 for l in lines) < target:
        lines.append(f"X-Trace-{i}: " + "".join(rng.choice("abcdefghijklmnop0123456789") for _ in range(70)))
        i += 1
    header = "\r\n".join(lines) + "\r\n"
    return (header + "\r\nBody.\r\n").encode("ascii"), len(header)


def run_timed(command, env=None):
    """Wall time in seconds and peak resident memory in KiB of one run."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    stderr = process.stderr.read().decode(errors="replace")
    process.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command[0]} failed: {stderr[:500]}")
    return elapsed, usage.ru_maxrss


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("postcheck")
    ap.add_argument("popclient")
    ap.add_argument("--messages", type=int, default=10000)
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--no-tls", action="store_true", help="plain POP3 only")
    args = ap.parse_args()

    with tempfile.TemporaryDirectory(prefix="postling-bench-") as tmp:
        os.chmod(tmp, 0o755)
        certificate = None
        if not args.no_tls:
            certs = os.path.join(tmp, "certs")
            make_certificates(certs, host="localhost")
            certificate = (os.path.join(certs, "good.crt"), os.path.join(certs, "good.key"))
        server = Dovecot(os.path.join(tmp, "server"), certificate=certificate).start()
        try:
            server.add_user("alice", "secret")
            rng = random.Random(20261207)
            header_bytes = 0
            for n in range(args.messages):
                data, header = generate(rng, n)
                server.add_message("alice", data)
                header_bytes += header
            password = os.path.join(tmp, "password")
            with open(password, "w") as f:
                f.write("secret\n")
            account = ["--user", "alice", "--password-file", password, "--timeout", "60", "--json"]
            check = [args.postcheck, "--server", "127.0.0.1", "--port", str(server.port), *account]
            minimal = [args.popclient, "127.0.0.1", str(server.port), "alice", "secret"]
            env = dict(os.environ, TZ=os.environ.get("TZ", ":/etc/localtime"))
            tls_check = None
            if certificate:
                tls_check = [args.postcheck, "--server", "localhost", "--port", str(server.tls_port), "--tls",
                             *account]
                env["SSL_CERT_FILE"] = os.path.join(certs, "ca.pem")

            run_timed(minimal)  # warms Dovecot's index and the page cache
            check_times, client_times, tls_times, peak, tls_peak = [], [], [], 0, 0
            for _ in range(args.rounds):
                elapsed, rss = run_timed(check, env)
                check_times.append(elapsed)
                peak = max(peak, rss)
                client_times.append(run_timed(minimal)[0])
                if tls_check:
                    elapsed, rss = run_timed(tls_check, env)
                    tls_times.append(elapsed)
                    tls_peak = max(tls_peak, rss)
        finally:
            server.stop()

    best_check, best_client = min(check_times), min(client_times)
    print(f"messages: {args.messages}, header bytes: {header_bytes} ({header_bytes / 1048576:.1f} MiB)")
    print("postcheck times: " + ", ".join(f"{t:.2f} s" for t in check_times))
    print("minimal client times: " + ", ".join(f"{t:.2f} s" for t in client_times))
    print(f"postcheck peak memory: {peak / 1024:.1f} MiB "
          f"({peak * 1024 / header_bytes:.2f} x the header bytes)")
    if tls_times:
        print("postcheck over TLS times: " + ", ".join(f"{t:.2f} s" for t in tls_times))
        print(f"postcheck over TLS peak memory: {tls_peak / 1024:.1f} MiB")
        print(f"tls-check-ratio: {min(tls_times) / best_client:.3f}")
    print(f"check-ratio: {best_check / best_client:.3f}")


if __name__ == "__main__":
    main()
