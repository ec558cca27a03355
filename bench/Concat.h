#pragma once
// Text put together from pieces in one buffer. The random parts of a line are
// drawn in statements of their own before they are joined: the order in which
// the operands of one expression are evaluated is not fixed by the language,
// and the same seed must give the same bytes with every compiler.

#include <string>
#include <string_view>

namespace kivgen {

template <class... Parts>
std::string Concat(const Parts&... parts)
{
    std::string out;
    out.reserve((std::string_view(parts).size() + ...));
    (out.append(std::string_view(parts)), ...);
    return out;
}

} // namespace kivgen
