#pragma once
// A throw-away certificate authority and the server certificates the
// simulated web presents over TLS, made fresh at each start. Clients trust
// the CA file and nothing else, so a test can check verification both ways.
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <vector>

namespace halvane::sim {

class TTestCertificates {
 public:
  // Makes the CA and two server certificates signed by it: one for ipAddresses
  // and dnsNames, one for "wrong.invalid" only. Writes ca.pem (the CA
  // certificate), ca-key.pem, server.pem and server-key.pem into folder.
  // Throws std::runtime_error naming the step that failed.
  TTestCertificates(const std::string& folder, const std::vector<std::string>& ipAddresses,
                    const std::vector<std::string>& dnsNames);

  const std::string& CaFile() const { return FCaFile; }
  // The files written, for removal.
  const std::vector<std::string>& Files() const { return FFiles; }

  X509* ServerCertificate() const { return FServerCert.get(); }
  EVP_PKEY* ServerKey() const { return FServerKey.get(); }
  // A certificate for a name no client asks for, signed by the same CA.
  X509* WrongCertificate() const { return FWrongCert.get(); }
  EVP_PKEY* WrongKey() const { return FWrongKey.get(); }

 private:
  struct TKeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  };
  struct TCertFree {
    void operator()(X509* cert) const { X509_free(cert); }
  };
  using TKey = std::unique_ptr<EVP_PKEY, TKeyFree>;
  using TCert = std::unique_ptr<X509, TCertFree>;

  static TKey NewKey();
  static TCert NewCertificate(const std::string& commonName, EVP_PKEY* subjectKey, X509* issuer,
                              EVP_PKEY* issuerKey, const std::string& subjectAltName);
  void Write(const std::string& path, X509* cert, EVP_PKEY* key);

  std::string FCaFile;
  std::vector<std::string> FFiles;
  TKey FCaKey;
  TCert FCaCert;
  TKey FServerKey;
  TCert FServerCert;
  TKey FWrongKey;
  TCert FWrongCert;
};

}  // namespace halvane::sim
