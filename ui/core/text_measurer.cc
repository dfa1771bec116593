#include "ui/core/text_measurer.h"

#include <atomic>

namespace ui {
namespace {
std::atomic<TextMeasurer*> g_measurer{nullptr};
}  // namespace

void TextMeasurer::SetInstance(TextMeasurer* measurer) { g_measurer = measurer; }

TextMeasurer* TextMeasurer::Instance() { return g_measurer; }

}  // namespace ui
