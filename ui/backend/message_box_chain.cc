#include "ui/backend/message_box_chain.h"

#include "platform/dialog_tool_message_box.h"
#include "platform/system_message_box.h"
#include "ui/backend/fallback_message_box.h"
#include "ui/backend/sdl_backend.h"
#include "ui/backend/sdl_system_message_box.h"

namespace ui {

void MessageBoxChain::Install() {
  const bool sdl = SdlBackend::IsInitialized();
  platform::SetSystemMessageBoxFunctions({sdl ? &SdlSystemMessageBox::Show : nullptr,
                                          &platform::DialogToolMessageBox::Show,
                                          sdl ? &FallbackMessageBox::Show : nullptr});
}

void MessageBoxChain::Uninstall() { platform::SetSystemMessageBoxFunctions({}); }

}  // namespace ui
