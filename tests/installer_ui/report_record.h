// One statistics report as the installer tests compare it: the event name
// and the envelope's "data" object as text.
#pragma once

#include <string>

namespace varnik_test {

struct Report {
  std::string event;
  std::string data;  // The envelope's "data" object, "" when it has none.
};

// Reads the event name and the data object out of a decoded envelope.
inline Report ParseReportEnvelope(const std::string& envelope) {
  Report report;
  const size_t id = envelope.find("\"eventId\":\"");
  if (id != std::string::npos) {
    report.event = envelope.substr(id + 11, envelope.find('"', id + 11) - id - 11);
  }
  const size_t data = envelope.find(",\"data\":");
  if (data != std::string::npos) {
    report.data = envelope.substr(data + 8, envelope.size() - data - 9);
  }
  return report;
}

}  // namespace varnik_test
