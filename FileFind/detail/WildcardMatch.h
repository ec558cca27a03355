#pragma once
// Name matching as the Windows file system does it for directory listings, so
// that a log folder mask selects the same files on every system.

#include <string_view>

namespace kiv {

// True when name matches pattern. Letters compare without regard to ASCII case
// (a to z and A to Z only; accented letters must match exactly). "*" matches any
// run of characters, the empty run included; "?" matches exactly one character.
// A "." followed only by "*"s up to the end of the pattern also matches the end
// of the name: "*.*" matches every name, "*r050206.*" matches "xr050206".
bool WildcardMatch(std::string_view pattern, std::string_view name) noexcept;

// The order in which a folder's entries are listed: by the names' ASCII
// upper-cased bytes (unsigned), names equal that way by their raw bytes.
bool NameOrderLess(std::string_view a, std::string_view b) noexcept;

} // namespace kiv
