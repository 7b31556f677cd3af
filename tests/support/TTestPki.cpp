#include "TTestPki.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace halvane::testsupport {

namespace {

struct TFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
  void operator()(X509* x) const { X509_free(x); }
};
using TKey = std::unique_ptr<EVP_PKEY, TFree>;
using TCert = std::unique_ptr<X509, TFree>;

void Need(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test certificates: ") + what);
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  Need(ext != nullptr, "extension");
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}

// issuer/issuerKey null: self-signed CA.
TCert MakeCert(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey, const char* altNames, long serial) {
  TCert cert(X509_new());
  Need(cert != nullptr, "X509_new");
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 7L * 24 * 3600);
  X509_set_pubkey(cert.get(), key);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(cert.get()), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* signer = issuer ? issuer : cert.get();
  X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
  AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
  if (issuer) {
    AddExtension(cert.get(), signer, NID_authority_key_identifier, "keyid");
    AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert.get(), signer, NID_key_usage, "critical,digitalSignature");
    AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
    AddExtension(cert.get(), signer, NID_subject_alt_name, altNames);
  } else {
    AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  }
  Need(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "sign");
  return cert;
}

void WriteCert(const std::string& path, X509* cert) {
  FILE* f = std::fopen(path.c_str(), "w");
  Need(f != nullptr, "open");
  const bool ok = PEM_write_X509(f, cert) == 1;
  std::fclose(f);
  Need(ok, "write certificate");
}

void WriteKey(const std::string& path, EVP_PKEY* key) {
  FILE* f = std::fopen(path.c_str(), "w");
  Need(f != nullptr, "open");
  const bool ok = PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  std::fclose(f);
  Need(ok, "write key");
}

}  // namespace

TTestPki::TTestPki() {
  std::string pattern = (std::filesystem::temp_directory_path() / "halvane-pki-XXXXXX").string();
  Need(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
  FFolder = pattern;
  TKey caKey(EVP_EC_gen("P-256")), otherKey(EVP_EC_gen("P-256")), serverKey(EVP_EC_gen("P-256"));
  Need(caKey && otherKey && serverKey, "key generation");
  TCert ca = MakeCert(caKey.get(), "Halvane Test CA", nullptr, nullptr, nullptr, 1);
  TCert other = MakeCert(otherKey.get(), "Unrelated Test CA", nullptr, nullptr, nullptr, 2);
  TCert server = MakeCert(serverKey.get(), "127.0.0.1", ca.get(), caKey.get(),
                          "IP:127.0.0.1,IP:127.0.0.2,IP:127.0.0.3,DNS:localhost,DNS:*.sim.test", 3);
  TCert wrong = MakeCert(serverKey.get(), "elsewhere.test", ca.get(), caKey.get(), "DNS:elsewhere.test", 4);
  FCaFile = FFolder + "/ca.pem";
  FOtherCaFile = FFolder + "/other-ca.pem";
  FServerCert = FFolder + "/server.pem";
  FServerKey = FFolder + "/server.key";
  FWrongNameCert = FFolder + "/wrong-name.pem";
  FWrongNameKey = FServerKey;
  WriteCert(FCaFile, ca.get());
  WriteCert(FOtherCaFile, other.get());
  WriteCert(FServerCert, server.get());
  WriteCert(FWrongNameCert, wrong.get());
  WriteKey(FServerKey, serverKey.get());
}

TTestPki::~TTestPki() {
  std::error_code ignored;
  std::filesystem::remove_all(FFolder, ignored);
}

}  // namespace halvane::testsupport
