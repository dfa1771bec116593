// The SDL backend's start: SDL's video, pango's fonts, SDL's message box.
#include <memory>

#include "platform/system_message_box.h"
#include "ui/backend/sdl_backend.h"
#include "ui/backend/sdl_system_message_box.h"
#include "ui/backend/ui_backend.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {

namespace {
std::unique_ptr<PangoTextMeasurer>& Measurer() {
  static auto* measurer = new std::unique_ptr<PangoTextMeasurer>;
  return *measurer;
}
}  // namespace

bool UiBackend::Start(std::string* error) {
  if (!Measurer()) Measurer() = std::make_unique<PangoTextMeasurer>();
  TextMeasurer::SetInstance(Measurer().get());
  if (!SdlBackend::Initialize()) {
    if (error) *error = SdlBackend::GetLastError();
    return false;
  }
  platform::SetSystemMessageBoxFunction(&SdlSystemMessageBox::Show);
  return true;
}

void UiBackend::Stop() {
  platform::SetSystemMessageBoxFunction(nullptr);
  SdlBackend::Shutdown();
  TextMeasurer::SetInstance(nullptr);
  Measurer().reset();
}

}  // namespace ui
