#pragma once
// A path as the system's wide calls take it, the same for the folder walk,
// the file reader and the writer.

#ifdef _WIN32
#include <filesystem>
#include <string>
#include <system_error>

namespace kiv {

// Windows refuses a path of MAX_PATH (260) characters or more, and a folder
// to create of 248 or more (it keeps room for an 8.3 name), unless it is
// written as \\?\C:\... (or \\?\UNC\server\share\...), which the system then
// takes as it stands: from 248 characters on, a path is made absolute and
// normal first and written so. Folders nested deep in the school's share
// reach that length; shorter paths are left as they are.
inline std::wstring SystemPath(const std::filesystem::path& path)
{
    const std::wstring& native = path.native();
    if (native.size() < 248 || native.starts_with(L"\\\\?\\"))
        return native;
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec)
        return native;
    const std::wstring text = full.lexically_normal().make_preferred().native();
    if (text.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + text.substr(2);
    return L"\\\\?\\" + text;
}

} // namespace kiv
#endif
