#!/usr/bin/env python3
"""Throwaway certificates for the TLS tests: a test CA, and server
certificates signed by it that are good, expired or issued for another name,
plus one signed by a CA nobody trusts.

    tls_test_certs.py DIR [--host localhost]

writes into DIR: ca.pem (the trusted test CA), ca.der, and for each of good,
expired, wrongname, untrusted: NAME.crt (PEM chain: leaf) and NAME.key, and
NAME.sha256 (the leaf's SHA-256 fingerprint, 64 upper-case hex digits).
"""
import argparse
import datetime
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.hazmat.primitives.asymmetric.utils import decode_dss_signature
from cryptography.x509.oid import NameOID


def _name(common):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Postling tests"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common)])


def sign(builder, key):
    """Signs with ECDSA until both halves of the signature are full length.
    Wine's chain engine joins r and s without padding, so a signature with a
    half below 2^248 (about one in 128) fails its check there."""
    while True:
        cert = builder.sign(key, hashes.SHA256())
        r, s = decode_dss_signature(cert.signature)
        if r.bit_length() > 248 and s.bit_length() > 248:
            return cert


def make_ca(common):
    key = ec.generate_private_key(ec.SECP256R1())
    now = datetime.datetime.now(datetime.timezone.utc)
    builder = (x509.CertificateBuilder()
            .subject_name(_name(common)).issuer_name(_name(common))
            .public_key(key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(now - datetime.timedelta(days=1))
            .not_valid_after(now + datetime.timedelta(days=30))
            .add_extension(x509.BasicConstraints(ca=True, path_length=0), critical=True)
            .add_extension(x509.KeyUsage(digital_signature=True, key_cert_sign=True, crl_sign=True,
                                         content_commitment=False, key_encipherment=False,
                                         data_encipherment=False, key_agreement=False,
                                         encipher_only=False, decipher_only=False), critical=True)
            .add_extension(x509.SubjectKeyIdentifier.from_public_key(key.public_key()), critical=False))
    return key, sign(builder, key)


def make_leaf(ca_key, ca_cert, host, not_before, not_after):
    key = ec.generate_private_key(ec.SECP256R1())
    names = [x509.DNSName(host)]
    builder = (x509.CertificateBuilder()
            .subject_name(_name(host)).issuer_name(ca_cert.subject)
            .public_key(key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(not_before).not_valid_after(not_after)
            .add_extension(x509.SubjectAlternativeName(names), critical=False)
            .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
            .add_extension(x509.ExtendedKeyUsage([x509.oid.ExtendedKeyUsageOID.SERVER_AUTH]), critical=False)
            .add_extension(x509.AuthorityKeyIdentifier.from_issuer_public_key(ca_key.public_key()),
                           critical=False))
    return key, sign(builder, ca_key)


def write(directory, name, key, cert):
    with open(os.path.join(directory, name + ".key"), "wb") as f:
        f.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                  serialization.NoEncryption()))
    with open(os.path.join(directory, name + ".crt"), "wb") as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    with open(os.path.join(directory, name + ".sha256"), "w") as f:
        f.write(cert.fingerprint(hashes.SHA256()).hex().upper())


def make_all(directory, host="localhost"):
    os.makedirs(directory, exist_ok=True)
    now = datetime.datetime.now(datetime.timezone.utc)
    day = datetime.timedelta(days=1)
    ca_key, ca_cert = make_ca("Postling Test CA")
    with open(os.path.join(directory, "ca.pem"), "wb") as f:
        f.write(ca_cert.public_bytes(serialization.Encoding.PEM))
    with open(os.path.join(directory, "ca.der"), "wb") as f:
        f.write(ca_cert.public_bytes(serialization.Encoding.DER))
    write(directory, "good", *make_leaf(ca_key, ca_cert, host, now - day, now + 30 * day))
    write(directory, "expired", *make_leaf(ca_key, ca_cert, host, now - 60 * day, now - 30 * day))
    write(directory, "wrongname", *make_leaf(ca_key, ca_cert, "mail.example.invalid", now - day, now + 30 * day))
    other_key, other_cert = make_ca("Untrusted Test CA")
    write(directory, "untrusted", *make_leaf(other_key, other_cert, host, now - day, now + 30 * day))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("--host", default="localhost")
    args = ap.parse_args()
    make_all(args.dir, args.host)
    return 0


if __name__ == "__main__":
    sys.exit(main())
