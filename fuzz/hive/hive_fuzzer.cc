// Feeds arbitrary bytes to the hive parser: it must never crash, and a text
// it accepts must come back unchanged through serialisation.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::Hive hive;
  if (!platform::Hive::Parse(text, &hive)) return 0;
  std::string once = hive.Serialize();
  platform::Hive again;
  if (!platform::Hive::Parse(once, &again) || again.Serialize() != once) std::abort();
  return 0;
}
