#include "package/app_running_check.h"

#include <chrono>
#include <thread>

#include "base/string_util.h"
#include "base/tick_count.h"
#include "platform/process_list.h"
#include "platform/product_identity.h"

namespace package {

std::u16string AppRunningQuestion() {
  return nbase::FormatText(kAppRunningQuestionPattern, {platform::kProductDisplayName});
}

int32_t CountRunningProductApps() {
  return platform::FindProcesses(platform::kProductAppFileName, false);
}

int32_t ForceCloseProductApps(uint32_t max_wait_ms) {
  const int32_t found = platform::FindProcesses(platform::kProductAppFileName, true);
  // A killed process leaves the list once the system has torn it down; the
  // wait ends as soon as that happened instead of always taking the time.
  const uint32_t start = nbase::GetTickCount();
  while (found > 0 && platform::FindProcesses(platform::kProductAppFileName, false) > 0 &&
         nbase::GetTickCount() - start < max_wait_ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return found;
}

}  // namespace package
