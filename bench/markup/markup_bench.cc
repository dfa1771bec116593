// Parse speed of the skin's markup parser against pugixml on the same bytes,
// measured in the same run: the real main-window layout and a generated
// layout of a few MiB. Our parser also decodes UTF-8 to UTF-16 first, which
// pugixml (parsing UTF-8 in place) does not; the ratio includes that work.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>
#include <string>

#include "base/utf.h"
#include "bench/common/bench_metric.h"
#include "ui/markup/markup.h"

namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A layout in the skin's style: nested boxes of labels, buttons and check
// boxes with Chinese texts, classes and entities, about `target` bytes.
std::string GenerateLayout(size_t target) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"600,400\">\n";
  for (int i = 0; xml.size() < target; ++i) {
    xml += "  <VBox name=\"page" + std::to_string(i) +
           "\" width=\"stretch\" height=\"auto\" visible=\"false\">\n"
           "    <!-- page " +
           std::to_string(i) +
           " -->\n"
           "    <HBox height=\"81\" margin=\"0,20,0,0\" childmargin=\"10\">\n"
           "      <Label text=\"数据恢复越早，恢复成功率越高！\" font=\"28\" "
           "normaltextcolor=\"red\" halign=\"center\"/>\n"
           "      <CheckBox name=\"checkbox_" +
           std::to_string(i) +
           "\" class=\"checkbox_agree\" text=\"下载错了 &amp; 糊里糊涂\" margin=\"0,16,0,0\"/>\n"
           "      <Button class=\"btn_global_blue_80x30\" text=\"继续安装\" width=\"92\" "
           "bkimage=\"file='../public/button/btn.png' corner='8,8,8,8'\">按钮</Button>\n"
           "    </HBox>\n"
           "  </VBox>\n";
  }
  xml += "</Window>\n";
  return xml;
}

// Keeps the shortest of the times of `parse` it is given.
template <typename Parse>
void TimeOnce(Parse parse, double* best) {
  const auto start = std::chrono::steady_clock::now();
  if (!parse()) {
    std::fprintf(stderr, "parse failed\n");
    std::exit(1);
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  *best = std::min(*best, took.count());
}

void Compare(const char* name, const char* key, const std::string& bytes, int rounds) {
  ui::Markup markup;
  pugi::xml_document document;
  // The same parse from text already decoded (copied into the buffer, as
  // LoadFromString does): shows what the UTF-8 decoding costs.
  const std::u16string text = nbase::Utf8ToUtf16(bytes);
  // The parsers take turns, so that a busy moment of the machine falls on
  // all of them alike.
  double ours = 1e9, theirs = 1e9, parse_only = 1e9;
  for (int i = 0; i < rounds; ++i) {
    TimeOnce([&] { return markup.LoadFromUtf8(bytes); }, &ours);
    TimeOnce([&] { return static_cast<bool>(document.load_buffer(bytes.data(), bytes.size())); },
             &theirs);
    TimeOnce([&] { return markup.LoadFromString(text); }, &parse_only);
  }
  const double mb = bytes.size() / 1e6;
  std::printf(
      "%-18s %8zu bytes  markup %7.1f MB/s  pugixml %7.1f MB/s  ratio %.2f"
      "  (markup from UTF-16 %7.1f MB/s, ratio %.2f)\n",
      name, bytes.size(), mb / ours, mb / theirs, theirs / ours, mb / parse_only,
      theirs / parse_only);
  bench::PrintMetric((std::string(key) + "_markup_us").c_str(), ours * 1e6);
  bench::PrintMetric((std::string(key) + "_pugixml_us").c_str(), theirs * 1e6);
}

}  // namespace

int main() {
  const std::string basic = ReadFile(VARNIK_BENCH_BASIC_XML);
  if (basic.empty()) {
    std::fprintf(stderr, "cannot read %s\n", VARNIK_BENCH_BASIC_XML);
    return 1;
  }
  std::printf("ratio = markup speed / pugixml speed (best of N rounds, taken in turns)\n");
  Compare("basic.xml", "parse_basic", basic, 4000);
  Compare("generated layout", "parse_generated", GenerateLayout(3 << 20), 40);
  return 0;
}
