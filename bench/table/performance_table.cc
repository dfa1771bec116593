#include "bench/table/performance_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace benchtable {

namespace {

// Display width of UTF-8 text: one column per code point (the table's texts
// are ASCII apart from the odd symbol).
size_t Columns(const std::string& text) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Pad(const std::string& text, size_t width) {
  const size_t columns = Columns(text);
  return columns >= width ? text : text + std::string(width - columns, ' ');
}

// A pipe inside a Markdown cell would split the cell.
std::string EscapeCell(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '|') out += '\\';
    if (c == '\n') {
      out += ' ';
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string PerformanceTable::FormatValue(std::optional<double> value, const std::string& unit,
                                          int decimals) {
  if (!value || !std::isfinite(*value)) return "unavailable";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 6), *value);
  return unit.empty() ? std::string(text) : std::string(text) + " " + unit;
}

std::string PerformanceTable::FormatRatio(std::optional<double> product,
                                          std::optional<double> peer) {
  if (!product || !peer || !std::isfinite(*product) || !std::isfinite(*peer) || *peer <= 0) {
    // Both sides at zero (an idle program that never woke): equal, not
    // undefined.
    if (product && peer && *product == 0 && *peer == 0) return "equal (both 0)";
    return "n/a";
  }
  const double ratio = *product / *peer;
  char text[64];
  std::snprintf(text, sizeof text, ratio != 0 && std::fabs(ratio) < 0.1 ? "%.3f x" : "%.2f x",
                ratio);
  return text;
}

void PerformanceTable::AddMeasuredRow(const std::string& figure, std::optional<double> product,
                                      std::optional<double> peer, const std::string& unit,
                                      int decimals, const std::string& peer_name,
                                      const std::string& aim) {
  Row row;
  row.figure = figure;
  row.product = FormatValue(product, unit, decimals);
  row.peer = FormatValue(peer, unit, decimals) + " (" + peer_name + ")";
  row.comparison = FormatRatio(product, peer);
  if (!aim.empty()) row.comparison += "; aim: " + aim;
  rows_.push_back(std::move(row));
}

std::string PerformanceTable::RenderText() const {
  const Row header{"figure", "product", "peer (same run)", "product / peer"};
  size_t widths[4] = {Columns(header.figure), Columns(header.product), Columns(header.peer),
                      Columns(header.comparison)};
  for (const Row& row : rows_) {
    widths[0] = std::max(widths[0], Columns(row.figure));
    widths[1] = std::max(widths[1], Columns(row.product));
    widths[2] = std::max(widths[2], Columns(row.peer));
    widths[3] = std::max(widths[3], Columns(row.comparison));
  }
  auto line = [&widths](const Row& row) {
    std::string text = Pad(row.figure, widths[0]) + "  " + Pad(row.product, widths[1]) + "  " +
                       Pad(row.peer, widths[2]) + "  " + row.comparison;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text + "\n";
  };
  std::string out = line(header);
  out += std::string(widths[0] + widths[1] + widths[2] + widths[3] + 6, '-') + "\n";
  for (const Row& row : rows_) out += line(row);
  return out;
}

std::string PerformanceTable::RenderMarkdown() const {
  std::string out = "| figure | product | peer (same run) | product / peer |\n|---|---|---|---|\n";
  for (const Row& row : rows_) {
    out += "| " + EscapeCell(row.figure) + " | " + EscapeCell(row.product) + " | " +
           EscapeCell(row.peer) + " | " + EscapeCell(row.comparison) + " |\n";
  }
  return out;
}

}  // namespace benchtable
