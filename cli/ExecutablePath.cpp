#include "cli/ExecutablePath.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kiv::cli {

std::filesystem::path ExecutableFolder(const char* argv0)
{
    std::error_code ec;
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0 && n < std::size(buffer))
        return std::filesystem::path(std::wstring(buffer, n)).parent_path();
#else
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path();
#endif
    if (argv0 == nullptr)
        return std::filesystem::current_path(ec);
    return std::filesystem::absolute(argv0, ec).parent_path();
}

} // namespace kiv::cli
