// JSON string writing for the report envelope.
//
// Promises valid JSON strings (RFC 8259, section 7) while changing nothing
// that did not need escaping: only the quotation mark, the backslash and the
// control characters U+0000..U+001F are escaped, so every text that was
// already valid inside quotation marks goes out byte for byte as before.
#pragma once

#include <string>
#include <string_view>

namespace report {

// Appends `"`, the escaped `text`, `"` to `out`.
void AppendJsonString(std::u16string& out, std::u16string_view text);

// `text` with the characters above escaped, without quotation marks around.
std::u16string EscapeJsonText(std::u16string_view text);

}  // namespace report
