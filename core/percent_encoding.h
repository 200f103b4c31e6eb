#pragma once

#include <string>
#include <string_view>

// Percent-encoding (RFC 3986): camera ids in the settings' keys, the values
// of a D-Bus address.

// Every byte but letters, digits and -._~ as %XX.
std::string percentEncoded(std::string_view text);
// The reverse; a % not followed by two hex digits stays as it is.
std::string percentDecoded(std::string_view text);
