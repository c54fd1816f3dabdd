/* Adds a certificate to the trusted root store of the Wine prefix (the
 * current user's "Root" store), so that the system's chain engine trusts
 * server certificates it signed; with --remove takes it out again.
 *   trustca [--remove] FILE       FILE: DER, or PEM ("-----BEGIN CERTIFICATE")
 * Exit status: 0 done, 1 failure (with a message), 2 usage error. */
#include <windows.h>
#include <wincrypt.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_FILE_SIZE (1024 * 1024)

static BYTE* read_file(const char* path, DWORD* size) {
    FILE* f = fopen(path, "rb");
    BYTE* data;
    long length;
    if (!f) return NULL;
    if (fseek(f, 0, SEEK_END) != 0 || (length = ftell(f)) <= 0 || length > MAX_FILE_SIZE ||
        fseek(f, 0, SEEK_SET) != 0 || !(data = malloc((size_t)length))) {
        fclose(f);
        return NULL;
    }
    if (fread(data, 1, (size_t)length, f) != (size_t)length) {
        free(data);
        data = NULL;
    }
    fclose(f);
    *size = (DWORD)length;
    return data;
}

/* PEM text becomes DER in place of the text; DER stays as it is. */
static BOOL to_der(BYTE** data, DWORD* size) {
    static const char kBegin[] = "-----BEGIN";
    DWORD der_size = 0;
    BYTE* der;
    if (*size < sizeof kBegin - 1 || memcmp(*data, kBegin, sizeof kBegin - 1) != 0) return TRUE;
    if (!CryptStringToBinaryA((const char*)*data, *size, CRYPT_STRING_BASE64HEADER, NULL, &der_size,
                              NULL, NULL) ||
        !(der = malloc(der_size)))
        return FALSE;
    if (!CryptStringToBinaryA((const char*)*data, *size, CRYPT_STRING_BASE64HEADER, der, &der_size,
                              NULL, NULL)) {
        free(der);
        return FALSE;
    }
    free(*data);
    *data = der;
    *size = der_size;
    return TRUE;
}

int main(int argc, char** argv) {
    BOOL remove = argc == 3 && strcmp(argv[1], "--remove") == 0;
    const char* path;
    BYTE* data;
    DWORD size = 0;
    HCERTSTORE store;
    PCCERT_CONTEXT cert = NULL;
    BOOL ok;
    if (argc != 2 + remove || argv[1 + remove][0] == '-') {
        fprintf(stderr, "usage: trustca [--remove] FILE\n");
        return 2;
    }
    path = argv[1 + remove];
    if (!(data = read_file(path, &size))) {
        fprintf(stderr, "trustca: cannot read %s\n", path);
        return 1;
    }
    if (!to_der(&data, &size)) {
        fprintf(stderr, "trustca: %s is not a PEM certificate\n", path);
        free(data);
        return 1;
    }
    /* Wine's system "Root" store is a collection with the machine's roots,
     * and a deletion through it reports success but keeps the certificate:
     * removal goes to the user's registry store itself. */
    store = CertOpenStore(remove ? CERT_STORE_PROV_SYSTEM_REGISTRY_A : CERT_STORE_PROV_SYSTEM_A, 0, 0,
                          CERT_SYSTEM_STORE_CURRENT_USER, "Root");
    if (!store) {
        fprintf(stderr, "trustca: cannot open the Root store (0x%08lX)\n", GetLastError());
        free(data);
        return 1;
    }
    if (remove) {
        PCCERT_CONTEXT given = CertCreateCertificateContext(X509_ASN_ENCODING, data, size);
        ok = given != NULL;
        if (ok) {
            /* Absent already counts as removed. */
            cert = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, given, NULL);
            if (cert) ok = CertDeleteCertificateFromStore(cert); /* frees cert */
            if (ok && (cert = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING,
                                                         given, NULL))) {
                CertFreeCertificateContext(cert);
                SetLastError(ERROR_ACCESS_DENIED);
                ok = FALSE;
            }
            CertFreeCertificateContext(given);
        }
    } else {
        ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, data, size,
                                              CERT_STORE_ADD_REPLACE_EXISTING, &cert);
        if (cert) CertFreeCertificateContext(cert);
    }
    if (!ok)
        fprintf(stderr, "trustca: cannot %s %s (0x%08lX)\n", remove ? "remove" : "add", path,
                GetLastError());
    CertCloseStore(store, 0);
    free(data);
    return ok ? 0 : 1;
}
