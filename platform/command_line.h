// The command-line text of a process, split and built by the Windows rules
// that the installer's callers were designed around. A process is started
// from one text; the launcher splits it into an argument vector here instead
// of ever handing it to a shell, so no shell character in it has a meaning.
//
// Splitting rules, for every argument (the program name included):
// - blanks and tabs outside double quotes separate arguments; runs of them
//   count as one separator, and leading or trailing ones make no argument;
// - a double quote switches the quoted mode on and off and is dropped;
//   inside the quoted mode two double quotes in a row give one literal quote;
// - 2n backslashes followed by a double quote give n backslashes, and the
//   quote acts as above; 2n+1 backslashes followed by a double quote give n
//   backslashes and a literal quote;
// - backslashes not followed by a double quote are literal.
// Any text splits (no error case); an empty or blank text gives no argument.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::vector<std::u16string> SplitCommandLine(std::u16string_view text);

// `argument` as one argument of a command line that SplitCommandLine gives
// back unchanged: as it is when it holds no blank, tab or double quote (and
// is not empty), else in double quotes with the inner quotes and the
// backslashes before them escaped.
std::u16string QuoteCommandLineArgument(std::u16string_view argument);

}  // namespace platform
