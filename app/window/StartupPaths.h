#pragma once
// Where the program finds its files, fixed at start-up: the folder of the
// executable (the start-up word list "kiv.ini"), the configuration folder
// (every other read and write of the three list files) and the server's log
// folder.

#include <filesystem>

namespace kiv {

struct StartupPaths {
    std::filesystem::path exeFolder;
    std::filesystem::path configFolder;
    std::filesystem::path logFolder;
};

} // namespace kiv
