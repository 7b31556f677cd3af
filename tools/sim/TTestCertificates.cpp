#include "TTestCertificates.h"

#include <fcntl.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace halvane::sim {
namespace {

// Long enough for any test run, short enough that a leaked CA is worthless soon.
constexpr long kValidSeconds = 7L * 24 * 3600;

[[noreturn]] void Fail(const std::string& step) {
  throw std::runtime_error("test certificates: " + step + " failed");
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_nconf_nid(nullptr, &ctx, nid, value);
  if (!ext) Fail(std::string("extension ") + OBJ_nid2sn(nid) + "=" + value);
  const int added = X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
  if (added != 1) Fail(std::string("adding extension ") + OBJ_nid2sn(nid));
}

void SetRandomSerial(X509* cert) {
  unsigned char bytes[8];
  if (RAND_bytes(bytes, sizeof bytes) != 1) Fail("random serial");
  bytes[0] &= 0x7F;  // positive
  bytes[0] |= 0x01;  // and not zero
  BIGNUM* bn = BN_bin2bn(bytes, sizeof bytes, nullptr);
  const bool ok = bn && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert));
  BN_free(bn);
  if (!ok) Fail("serial number");
}

}  // namespace

TTestCertificates::TTestCertificates(const std::string& folder, const std::vector<std::string>& ipAddresses,
                                     const std::vector<std::string>& dnsNames) {
  std::string altNames;
  for (const std::string& ip : ipAddresses) altNames += (altNames.empty() ? "IP:" : ",IP:") + ip;
  for (const std::string& dns : dnsNames) altNames += (altNames.empty() ? "DNS:" : ",DNS:") + dns;

  FCaKey = NewKey();
  FCaCert = NewCertificate("Halvane simulated web test CA", FCaKey.get(), nullptr, FCaKey.get(), {});
  FServerKey = NewKey();
  FServerCert = NewCertificate("halvane-sim", FServerKey.get(), FCaCert.get(), FCaKey.get(), altNames);
  FWrongKey = NewKey();
  FWrongCert = NewCertificate("wrong.invalid", FWrongKey.get(), FCaCert.get(), FCaKey.get(), "DNS:wrong.invalid");

  FCaFile = folder + "/ca.pem";
  Write(FCaFile, FCaCert.get(), nullptr);
  Write(folder + "/ca-key.pem", nullptr, FCaKey.get());
  Write(folder + "/server.pem", FServerCert.get(), nullptr);
  Write(folder + "/server-key.pem", nullptr, FServerKey.get());
}

TTestCertificates::TKey TTestCertificates::NewKey() {
  // P-256: made in a millisecond, unlike RSA, and every TLS client takes it.
  TKey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  if (!key) Fail("key generation");
  return key;
}

TTestCertificates::TCert TTestCertificates::NewCertificate(const std::string& commonName, EVP_PKEY* subjectKey,
                                                           X509* issuer, EVP_PKEY* issuerKey,
                                                           const std::string& subjectAltName) {
  TCert cert(X509_new());
  if (!cert) Fail("certificate allocation");
  X509* c = cert.get();
  if (X509_set_version(c, 2) != 1) Fail("certificate version");
  SetRandomSerial(c);
  // An hour back, so a clock a little behind still accepts it.
  if (!X509_gmtime_adj(X509_getm_notBefore(c), -3600) || !X509_gmtime_adj(X509_getm_notAfter(c), kValidSeconds)) {
    Fail("validity");
  }
  if (X509_set_pubkey(c, subjectKey) != 1) Fail("public key");
  X509_NAME* name = X509_get_subject_name(c);
  if (X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Halvane tests"),
                                 -1, -1, 0) != 1 ||
      X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                 reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0) != 1) {
    Fail("subject name");
  }
  const bool isCa = issuer == nullptr;
  X509* signer = isCa ? c : issuer;
  if (X509_set_issuer_name(c, X509_get_subject_name(signer)) != 1) Fail("issuer name");
  if (isCa) {
    AddExtension(c, signer, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(c, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(c, signer, NID_subject_key_identifier, "hash");
  } else {
    AddExtension(c, signer, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(c, signer, NID_key_usage, "critical,digitalSignature");
    AddExtension(c, signer, NID_ext_key_usage, "serverAuth");
    AddExtension(c, signer, NID_subject_key_identifier, "hash");
    AddExtension(c, signer, NID_authority_key_identifier, "keyid:always");
    AddExtension(c, signer, NID_subject_alt_name, subjectAltName.c_str());
  }
  if (X509_sign(c, issuerKey, EVP_sha256()) <= 0) Fail("signing " + commonName);
  return cert;
}

void TTestCertificates::Write(const std::string& path, X509* cert, EVP_PKEY* key) {
  // Keys are for nobody else; certificates are public anyway.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, key ? 0600 : 0644);
  if (fd < 0) throw std::runtime_error("cannot write " + path);
  FILE* out = fdopen(fd, "w");
  if (!out) {
    close(fd);
    throw std::runtime_error("cannot write " + path);
  }
  FFiles.push_back(path);
  const bool ok = cert ? PEM_write_X509(out, cert) == 1
                       : PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  if (std::fclose(out) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

}  // namespace halvane::sim
