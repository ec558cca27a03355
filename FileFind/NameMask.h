#pragma once
// Whether a file name matches a mask's name part as the finder matches it
// (Windows wildcards, WildcardMatch in detail/), for a caller that lists a
// folder once and picks files from the listing mask after mask.

#include <string_view>

namespace kiv {

bool NameMatchesMask(std::string_view pattern, std::string_view name) noexcept;

} // namespace kiv
