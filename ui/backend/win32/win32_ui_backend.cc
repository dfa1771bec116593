// The Win32 backend's start: DPI awareness, GDI+ and its fonts, the Windows
// message pump. The system message box is the platform layer's own
// (MessageBoxW).
#include <memory>

#include "ui/backend/ui_backend.h"
#include "ui/backend/win32/gdiplus_fonts.h"
#include "ui/backend/win32/gdiplus_text_measurer.h"
#include "ui/backend/win32/win32_backend.h"

namespace ui {

namespace {
std::unique_ptr<GdiplusTextMeasurer>& Measurer() {
  static auto* measurer = new std::unique_ptr<GdiplusTextMeasurer>;
  return *measurer;
}
}  // namespace

bool UiBackend::Start(std::string* error) {
  if (!Win32Backend::Initialize()) {
    if (error) *error = Win32Backend::GetLastError();
    return false;
  }
  if (!Measurer()) Measurer() = std::make_unique<GdiplusTextMeasurer>();
  TextMeasurer::SetInstance(Measurer().get());
  return true;
}

void UiBackend::Stop() {
  TextMeasurer::SetInstance(nullptr);
  // Fonts and the measurer are GDI+ objects: gone before GDI+ is.
  Measurer().reset();
  GdiplusFonts::Clear();
  Win32Backend::Shutdown();
}

}  // namespace ui
