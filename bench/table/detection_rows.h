// The performance table's rows for installed-product detection, from the
// figures of bench/package/detection_bench: its cost over 2,000 desktop
// entries beside a plain list-and-read loop over the same files, and its
// growth from 500 to 2,000 entries beside that loop's.
#pragma once

#include <map>
#include <string>

#include "bench/table/performance_table.h"

namespace benchtable {

void AddDetectionRows(const std::map<std::string, double>& metrics, PerformanceTable* table);

}  // namespace benchtable
