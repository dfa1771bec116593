#include "platform/command_line.h"
#include "platform/process_launcher.h"
#include "platform/web_browser.h"

namespace platform {
namespace {

constexpr char16_t kBrowserOpener[] = u"xdg-open";
constexpr char16_t kFallbackBrowser[] = u"x-www-browser";

int32_t RunWithAddress(const char16_t* program, const std::u16string& address) {
  return RunAndWait(std::u16string(program) + u" " + QuoteCommandLineArgument(address));
}

}  // namespace

int32_t OpenInWebBrowser(const std::u16string& address) {
  if (RunWithAddress(kBrowserOpener, address) == 0) return 0;
  return RunWithAddress(kFallbackBrowser, address);
}

}  // namespace platform
