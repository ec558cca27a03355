#pragma once
// Upper-casing for every comparison of the tool: only the ASCII letters a to z
// become A to Z; accented letters and every other byte stay as they are, so that
// positions and lengths never change.

#include <string>
#include <string_view>

namespace kiv {

constexpr char AsciiUpper(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

inline std::string AsciiUpperCopy(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = AsciiUpper(c);
    return upper;
}

// True when text begins with prefix, letters compared after ASCII upper-casing.
inline bool AsciiStartsWithNoCase(std::string_view text, std::string_view prefix) noexcept
{
    if (prefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (AsciiUpper(text[i]) != AsciiUpper(prefix[i]))
            return false;
    return true;
}

} // namespace kiv
