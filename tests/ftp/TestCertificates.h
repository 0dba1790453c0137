// Certificates for the TLS tests, made with the openssl command once per
// test process into a temporary folder: a test authority, certificates it
// signs (good, wrong name, expired) and a self-signed one.
#pragma once

#include <QString>

namespace vesk::test {

// One certificate and its private key, as PEM files.
struct TestCertificate {
    QString cert, key;
    // SHA-256 of the certificate's DER bytes: lower-case hexadecimal without
    // colons (what `openssl x509 -fingerprint -sha256` prints, tidied).
    QString sha256;
};

// The certificates a test server can present.
enum class TestCert {
    Localhost,   // signed by the test authority for DNS localhost and IP 127.0.0.1
    WrongName,   // signed by the test authority, for DNS wrong.example only
    SelfSigned,  // for localhost and 127.0.0.1, signed by its own key
    Expired,     // signed by the test authority for localhost and 127.0.0.1; ran out in 2021
};

struct TestCertificates {
    // The test authority: give `authority.cert` to a client as its trusted
    // certificates (curl --cacert, SSL_CERT_FILE) and Localhost verifies.
    TestCertificate authority;
    TestCertificate localhost, wrongName, selfSigned, expired;
    // Why the certificates could not be made (openssl missing or failing);
    // empty when every file above exists.
    QString failure;

    bool ok() const { return failure.isEmpty(); }
    const TestCertificate& Get(TestCert which) const;
};

// Made on the first call (about a dozen openssl runs), then shared by every
// test of the process; the files live until the process ends. Thread-safe.
const TestCertificates& Certificates();

} // namespace vesk::test
