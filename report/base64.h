// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks), the
// encoding of every report body.
#pragma once

#include <string>
#include <string_view>

namespace report {

// Encodes `bytes`: 4 characters per group of three bytes; a remainder of one
// byte gives two characters and "==", of two bytes three characters and "=".
std::string Base64Encode(std::string_view bytes);

}  // namespace report
