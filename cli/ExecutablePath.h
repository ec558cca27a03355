#pragma once
// The folder of the running program, where the start-up "kiv.ini" lives.

#include <filesystem>

namespace kiv::cli {

// argv0 is the fallback where the system cannot tell the program's own path.
std::filesystem::path ExecutableFolder(const char* argv0);

} // namespace kiv::cli
