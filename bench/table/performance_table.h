// PerformanceTable: the product's figures, each beside its peer measured in
// the same run, as aligned text for the terminal and as a Markdown table for
// docs/performance.md. A figure that could not be measured is shown as
// "unavailable" with the reason, never as a number.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace benchtable {

class PerformanceTable {
 public:
  struct Row {
    std::string figure;      // what is measured
    std::string product;     // the product's value with its unit
    std::string peer;        // the peer's value with its unit and its name
    std::string comparison;  // ratio or difference, and the aim if any
  };

  // Whether a larger value is the better one (throughput) or the smaller
  // one (time, memory): decides the wording of the comparison.
  enum class Better { kLarger, kSmaller };

  void AddRow(Row row) { rows_.push_back(std::move(row)); }
  // A row of two measured values of the same unit; either may be missing.
  // The comparison is "<product/peer> x" with `aim` appended.
  void AddMeasuredRow(const std::string& figure, std::optional<double> product,
                      std::optional<double> peer, const std::string& unit, int decimals,
                      const std::string& peer_name, const std::string& aim = "");
  const std::vector<Row>& rows() const { return rows_; }

  std::string RenderText() const;
  std::string RenderMarkdown() const;

  // "12.3 ms" or "unavailable".
  static std::string FormatValue(std::optional<double> value, const std::string& unit,
                                 int decimals);
  // "1.23 x" (two decimals, three significant digits for small ratios) or
  // "n/a" when either side is missing or the peer is not positive;
  // "equal (both 0)" when both are zero.
  static std::string FormatRatio(std::optional<double> product, std::optional<double> peer);

 private:
  std::vector<Row> rows_;
};

}  // namespace benchtable
