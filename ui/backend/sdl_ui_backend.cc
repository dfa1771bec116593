// The SDL backend's start: SDL's video, pango's fonts, the chain of message
// boxes (SDL's own when SDL is up, the desktop's dialog programs even
// without a display).
#include <memory>

#include "ui/backend/message_box_chain.h"
#include "ui/backend/sdl_backend.h"
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
  const bool up = SdlBackend::Initialize();
  if (!up && error) *error = SdlBackend::GetLastError();
  MessageBoxChain::Install();
  return up;
}

void UiBackend::Stop() {
  MessageBoxChain::Uninstall();
  SdlBackend::Shutdown();
  TextMeasurer::SetInstance(nullptr);
  Measurer().reset();
}

}  // namespace ui
