#include "bench/table/detection_rows.h"

#include <optional>

namespace benchtable {
namespace {

std::optional<double> Get(const std::map<std::string, double>& metrics, const std::string& key) {
  auto found = metrics.find(key);
  if (found == metrics.end()) return std::nullopt;
  return found->second;
}

}  // namespace

void AddDetectionRows(const std::map<std::string, double>& metrics, PerformanceTable* table) {
  const std::string peer = "listing the folder and reading each file once";
  table->AddMeasuredRow("installed-product detection, 2,000 desktop entries",
                        Get(metrics, "detection_2000_ms"), Get(metrics, "detection_2000_floor_ms"),
                        "ms", 3, peer, "under 5 ms");
  table->AddMeasuredRow("growth of detection from 500 to 2,000 entries",
                        Get(metrics, "detection_growth"), Get(metrics, "detection_floor_growth"),
                        "x", 2, peer + ", same sizes", "linear is 4");
}

}  // namespace benchtable
