#pragma once
// A path in the temporary folder that no other test program uses: two build
// folders may run the same tests at the same time.

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

namespace kiv {

inline std::filesystem::path UniqueTempPath(std::string_view stem)
{
    static const std::string run = std::to_string(std::random_device{}());
    static std::atomic<unsigned> counter{0};
    return std::filesystem::temp_directory_path() /
           (std::string(stem) + "_" + run + "_" + std::to_string(counter++));
}

} // namespace kiv
