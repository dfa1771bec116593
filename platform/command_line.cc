#include "platform/command_line.h"

namespace platform {

std::vector<std::u16string> SplitCommandLine(std::u16string_view text) {
  std::vector<std::u16string> arguments;
  std::u16string current;
  bool in_argument = false;  // Something (even "") started an argument.
  bool quoted = false;
  size_t i = 0;
  const size_t size = text.size();
  while (i < size) {
    char16_t c = text[i];
    if (!quoted && (c == u' ' || c == u'\t')) {
      if (in_argument) {
        arguments.push_back(std::move(current));
        current.clear();
        in_argument = false;
      }
      ++i;
      continue;
    }
    in_argument = true;
    if (c == u'\\') {
      size_t run = 0;
      while (i < size && text[i] == u'\\') {
        ++run;
        ++i;
      }
      if (i < size && text[i] == u'"') {
        current.append(run / 2, u'\\');
        if (run % 2 == 1) {
          current.push_back(u'"');
          ++i;
        }
        // An even run leaves the quote to the next round.
      } else {
        current.append(run, u'\\');
      }
      continue;
    }
    if (c == u'"') {
      if (quoted && i + 1 < size && text[i + 1] == u'"') {
        current.push_back(u'"');
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    current.push_back(c);
    ++i;
  }
  if (in_argument) arguments.push_back(std::move(current));
  return arguments;
}

std::u16string QuoteCommandLineArgument(std::u16string_view argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\"") == std::u16string_view::npos) {
    return std::u16string(argument);
  }
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    if (c == u'"') {
      // Every backslash before a quote is doubled, and the quote escaped.
      quoted.append(backslashes * 2 + 1, u'\\');
      quoted.push_back(u'"');
    } else {
      quoted.append(backslashes, u'\\');
      quoted.push_back(c);
    }
    backslashes = 0;
  }
  // Backslashes before the closing quote are doubled so that it closes.
  quoted.append(backslashes * 2, u'\\');
  quoted.push_back(u'"');
  return quoted;
}

}  // namespace platform
