#include "tests/package/tls_server.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <cstdio>
#include <memory>

namespace packagetest {
namespace {

bool WriteSelfSignedCertificate(const std::string& cert_path, const std::string& key_path) {
  EVP_PKEY* key = EVP_RSA_gen(2048);
  if (key == nullptr) return false;
  X509* cert = X509_new();
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 86400);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  bool ok = X509_sign(cert, key, EVP_sha256()) > 0;
  FILE* cert_file = ok ? std::fopen(cert_path.c_str(), "w") : nullptr;
  FILE* key_file = ok ? std::fopen(key_path.c_str(), "w") : nullptr;
  ok = cert_file != nullptr && key_file != nullptr && PEM_write_X509(cert_file, cert) == 1 &&
       PEM_write_PrivateKey(key_file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  if (cert_file != nullptr) std::fclose(cert_file);
  if (key_file != nullptr) std::fclose(key_file);
  X509_free(cert);
  EVP_PKEY_free(key);
  return ok;
}

}  // namespace

TlsServer::TlsServer(const std::string& folder)
    : cert_path_(folder + "/cert.pem"), key_path_(folder + "/key.pem") {}

TlsServer::~TlsServer() {
  if (server_) server_->stop();
  if (thread_.joinable()) thread_.join();
}

bool TlsServer::Start(const std::string& body) {
  if (!WriteSelfSignedCertificate(cert_path_, key_path_)) return false;
  server_ = std::make_unique<httplib::SSLServer>(cert_path_.c_str(), key_path_.c_str());
  if (!server_->is_valid()) return false;
  server_->Get("/package.exe", [body](const httplib::Request&, httplib::Response& response) {
    response.set_content(body, "application/octet-stream");
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) return false;
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  return true;
}

}  // namespace packagetest
