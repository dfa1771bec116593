// The Windows backend of the loopback server: no cpp-httplib server (its
// implementation is a Linux library), so the recorder answers every served
// request itself with the default status and body.
#include "tests/support/loopback_server.h"

namespace testsupport {

struct LoopbackServer::Backend {};

void LoopbackServer::BackendDeleter::operator()(Backend* backend) const { delete backend; }

bool LoopbackServer::StartBackend() { return true; }

void LoopbackServer::StopBackend() {}

bool LoopbackServer::ServeThroughBackend(Connection& connection, bool close_requested,
                                         const std::string&) {
  if (!WriteAll(connection.client_fd, DefaultAnswer(close_requested))) return false;
  return !close_requested;
}

}  // namespace testsupport
