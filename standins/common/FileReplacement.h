#pragma once
// The stand-ins keep their stores as append-only logs and now and then write one afresh,
// without what is dead in it. A reader must see the old file or the new one, never part
// of either.
#include <string>

namespace standins {

// Writes `content` into a new file beside `path` ("path.new"), then moves it over
// `path`. On failure no new file stays behind and GetLastError tells why.
[[nodiscard]] bool ReplaceFileContents(const std::wstring& path, const std::string& content);

} // namespace standins
