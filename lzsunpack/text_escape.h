// File names inside the JSON report and the SVG picture. A name is bytes
// (any bytes but '/' and NUL on Linux), while JSON and XML both need valid
// UTF-8 and their own escapes: each byte that is not part of a valid UTF-8
// sequence becomes U+FFFD, so the text always parses.
#pragma once

#include <string>
#include <string_view>

namespace lzsunpack {

// `text` as a JSON string, with its quotes.
std::string json_string(std::string_view text);

// `text` as XML character data or an attribute's value.
std::string xml_text(std::string_view text);

}  // namespace lzsunpack
