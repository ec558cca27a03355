#include "FileFind/NameMask.h"

#include "FileFind/detail/WildcardMatch.h"

namespace kiv {

bool NameMatchesMask(std::string_view pattern, std::string_view name) noexcept
{
    return WildcardMatch(pattern, name);
}

} // namespace kiv
