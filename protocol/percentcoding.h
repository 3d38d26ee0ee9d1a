#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace protocol {

// Bytes as they may stand in a query's value: letters, digits and "-._~/" as they are, every
// other byte as %XX in upper-case hexadecimal, so that no value can end the query or add
// fields to it.
std::string percentEncode(std::string_view bytes);

// Replaces each %XX escape with its byte; a "+" stays a plus sign. Nothing when an escape
// is malformed.
std::optional<std::string> percentDecode(std::string_view text);

} // namespace protocol
