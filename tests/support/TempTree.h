#pragma once
// A folder of its own under the system's temporary folder, filled by a test and
// removed with everything in it at the end of the test.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace kiv::test {

class TempTree {
public:
    TempTree()
    {
        static std::atomic<unsigned> counter{0};
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            root_ = base / ("kiv_filefind_" + std::to_string(random()) + "_" + std::to_string(counter++));
            if (std::filesystem::create_directory(root_))
                break;
        }
    }
    ~TempTree()
    {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& Root() const { return root_; }

    // The root as mask text, ending in "/".
    std::string Folder() const { return root_.generic_string() + "/"; }

    // Creates a file (and its folders) at a path relative to the root.
    void File(const std::string& relative, const std::string& content = "x") const
    {
        const auto path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    void Dir(const std::string& relative) const { std::filesystem::create_directories(root_ / relative); }

private:
    std::filesystem::path root_;
};

} // namespace kiv::test
