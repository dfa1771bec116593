// Splits arbitrary command-line texts and checks the quoting round trip:
// every argument quoted and joined must split back into the same arguments.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const std::vector<std::u16string> arguments = platform::SplitCommandLine(text);
  std::u16string joined;
  for (const auto& argument : arguments) {
    if (!joined.empty()) joined += u' ';
    joined += platform::QuoteCommandLineArgument(argument);
  }
  if (platform::SplitCommandLine(joined) != arguments) std::abort();
  return 0;
}
