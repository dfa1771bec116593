#include "platform/system_dpi.h"

#include <cmath>

namespace platform {

namespace {

constexpr int32_t kMaxDpi = 2000;
constexpr int32_t kMaxGdkScale = 16;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                           text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

// A whole decimal number within [low, high]; 0 otherwise.
int32_t ParseBoundedInt(std::string_view text, int32_t low, int32_t high) {
  text = Trim(text);
  if (text.empty() || text.size() > 6) return 0;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value >= low && value <= high ? value : 0;
}

// A decimal number with an optional fraction ("96", "120.5"), rounded.
int32_t ParseBoundedNumber(std::string_view text, int32_t low, int32_t high) {
  text = Trim(text);
  if (text.empty() || text.size() > 16) return 0;
  double value = 0;
  double scale = 0;  // 0 while in the whole part
  bool any_digit = false;
  for (char c : text) {
    if (c == '.' && scale == 0) {
      scale = 0.1;
    } else if (c >= '0' && c <= '9') {
      any_digit = true;
      if (scale == 0) {
        value = value * 10 + (c - '0');
      } else {
        value += (c - '0') * scale;
        scale /= 10;
      }
    } else {
      return 0;
    }
  }
  if (!any_digit) return 0;
  const double rounded = std::floor(value + 0.5);
  if (rounded < low || rounded > high) return 0;
  return static_cast<int32_t>(rounded);
}

}  // namespace

int32_t ParseXftDpi(std::string_view resource_database) {
  constexpr std::string_view kName = "Xft.dpi:";
  while (!resource_database.empty()) {
    const size_t end = resource_database.find('\n');
    std::string_view line = resource_database.substr(0, end);
    line = Trim(line);
    if (line.substr(0, kName.size()) == kName) {
      return ParseBoundedNumber(line.substr(kName.size()), 1, kMaxDpi);
    }
    if (end == std::string_view::npos) break;
    resource_database.remove_prefix(end + 1);
  }
  return 0;
}

int32_t SystemDpiFromSources(std::string_view dpi_override, std::string_view resource_database,
                             std::string_view gdk_scale) {
  if (int32_t dpi = ParseBoundedInt(dpi_override, 1, kMaxDpi)) return dpi;
  if (int32_t dpi = ParseXftDpi(resource_database)) return dpi;
  if (int32_t scale = ParseBoundedInt(gdk_scale, 1, kMaxGdkScale)) return scale * kDefaultDpi;
  return kDefaultDpi;
}

int32_t DpiOverride(std::string_view value) { return ParseBoundedInt(value, 1, kMaxDpi); }

}  // namespace platform
