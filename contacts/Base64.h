#pragma once
// Base64 with the standard alphabet and "=" padding, as HTTP Basic authorization uses it.
#include <string>
#include <string_view>

namespace tessaly {

// No line breaks, whatever the length.
std::string EncodeBase64(std::string_view text);

} // namespace tessaly
