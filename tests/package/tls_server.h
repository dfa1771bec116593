// A real HTTPS server on 127.0.0.1 for the certificate tests: a fresh key
// and a self-signed certificate for "127.0.0.1", made at start and trusted
// by nobody, so a client that verifies certificates must refuse it.
#pragma once

#include <httplib.h>

#include <string>
#include <thread>

namespace packagetest {

class TlsServer {
 public:
  // `folder` receives the key and certificate files.
  explicit TlsServer(const std::string& folder);
  ~TlsServer();

  // False when the certificate or the listener cannot be made.
  bool Start(const std::string& body);
  int port() const { return port_; }

 private:
  std::string cert_path_;
  std::string key_path_;
  std::unique_ptr<httplib::SSLServer> server_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace packagetest
