#include "ui/core/dpi_scale.h"

#include <atomic>

namespace ui {
namespace {
std::atomic<int32_t> g_percent{100};
std::atomic<bool> g_active{false};
}  // namespace

void DpiScale::Set(int32_t percent, bool active) {
  g_percent = percent < 1 ? 100 : percent;
  g_active = active;
}

int32_t DpiScale::Percent() { return g_percent; }

bool DpiScale::IsActive() { return g_active; }

int32_t DpiScale::Scale(int32_t value) {
  const int32_t percent = g_percent;
  if (!g_active || percent == 100) return value;
  return MulDiv(value, percent, 100);
}

Rect DpiScale::ScaleRect(const Rect& rect) {
  return Rect{Scale(rect.left), Scale(rect.top), Scale(rect.right), Scale(rect.bottom)};
}

Point DpiScale::ScalePoint(Point point) { return Point{Scale(point.x), Scale(point.y)}; }

int32_t DpiScale::MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t product = static_cast<int64_t>(a) * b;
  bool negative = (product < 0) != (c < 0);
  uint64_t num = product < 0 ? static_cast<uint64_t>(-product) : static_cast<uint64_t>(product);
  uint64_t den = c < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(c)) : static_cast<uint64_t>(c);
  uint64_t q = (num + den / 2) / den;
  int64_t result = negative ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
  if (result > INT32_MAX || result < INT32_MIN) return -1;
  return static_cast<int32_t>(result);
}

}  // namespace ui
