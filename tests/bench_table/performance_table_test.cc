#include "bench/table/performance_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace benchtable {
namespace {

TEST(PerformanceTableTest, ValuesAndRatiosAreFormattedOrMarkedMissing) {
  EXPECT_EQ(PerformanceTable::FormatValue(12.345, "ms", 1), "12.3 ms");
  EXPECT_EQ(PerformanceTable::FormatValue(812.0, "MB/s", 0), "812 MB/s");
  EXPECT_EQ(PerformanceTable::FormatValue(3.5, "", 2), "3.50");
  EXPECT_EQ(PerformanceTable::FormatValue(std::nullopt, "ms", 1), "unavailable");
  EXPECT_EQ(PerformanceTable::FormatValue(NAN, "ms", 1), "unavailable");
  EXPECT_EQ(PerformanceTable::FormatValue(INFINITY, "ms", 1), "unavailable");

  const struct {
    std::optional<double> product, peer;
    const char* text;
  } ratios[] = {
      {30, 10, "3.00 x"},
      {9.5, 10, "0.95 x"},
      {0.5, 100, "0.005 x"},
      {0, 10, "0.00 x"},
      {5, 0, "n/a"},
      {0, 0, "equal (both 0)"},
      {5, -1, "n/a"},
      {std::nullopt, 10, "n/a"},
      {10, std::nullopt, "n/a"},
      {NAN, 10, "n/a"},
  };
  for (const auto& r : ratios) {
    EXPECT_EQ(PerformanceTable::FormatRatio(r.product, r.peer), r.text);
  }
}

TEST(PerformanceTableTest, MeasuredRowKeepsThePeerBesideTheProduct) {
  PerformanceTable table;
  table.AddMeasuredRow("download", 900.0, 1000.0, "MB/s", 1, "curl -o", "0.95 or more");
  table.AddMeasuredRow("stall", std::nullopt, 16.7, "ms", 1, "one frame");
  ASSERT_EQ(table.rows().size(), 2u);
  EXPECT_EQ(table.rows()[0].product, "900.0 MB/s");
  EXPECT_EQ(table.rows()[0].peer, "1000.0 MB/s (curl -o)");
  EXPECT_EQ(table.rows()[0].comparison, "0.90 x; aim: 0.95 or more");
  EXPECT_EQ(table.rows()[1].product, "unavailable");
  EXPECT_EQ(table.rows()[1].comparison, "n/a");
}

TEST(PerformanceTableTest, MarkdownHasOneRowPerFigureAndEscapesCells) {
  PerformanceTable table;
  table.AddRow({"a | b", "1 ms", "2 ms (peer)", "0.50 x"});
  table.AddRow({"two\nlines", "x", "y", "z"});
  const std::string markdown = table.RenderMarkdown();
  std::istringstream lines(markdown);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    // Every line has exactly five unescaped pipes: four columns.
    int pipes = 0;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '|' && (i == 0 || line[i - 1] != '\\')) ++pipes;
    }
    EXPECT_EQ(pipes, 5) << line;
  }
  EXPECT_EQ(count, 4);
  EXPECT_NE(markdown.find("| a \\| b | 1 ms | 2 ms (peer) | 0.50 x |"), std::string::npos)
      << markdown;
  EXPECT_NE(markdown.find("| two lines |"), std::string::npos);
}

TEST(PerformanceTableTest, TextColumnsLineUpWithWideCharacters) {
  PerformanceTable table;
  table.AddRow({"short", "1 µs", "peer µ", "1.00 x"});
  table.AddRow({"a much longer figure", "12345 ms", "p", "2.00 x"});
  const std::string text = table.RenderText();
  std::istringstream lines(text);
  std::string header, rule, first, second;
  std::getline(lines, header);
  std::getline(lines, rule);
  std::getline(lines, first);
  std::getline(lines, second);
  // The product column starts at the same display column in both rows.
  auto column_of = [](const std::string& line, const std::string& needle) {
    const std::string before = line.substr(0, line.find(needle));
    size_t columns = 0;
    for (char c : before) columns += (c & 0xC0) != 0x80;
    return columns;
  };
  EXPECT_EQ(column_of(first, "1 µs"), column_of(second, "12345 ms"));
  EXPECT_EQ(column_of(first, "1.00 x"), column_of(second, "2.00 x"));
  EXPECT_EQ(column_of(header, "product"), column_of(second, "12345 ms"));
  EXPECT_EQ(rule.find_first_not_of('-'), std::string::npos);
}

}  // namespace
}  // namespace benchtable
