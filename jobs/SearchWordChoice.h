#pragma once
// Which watched words a keyword search uses when the user did not type any:
// a word file named for this search, else the configuration folder's
// "kiv.ini", else the "kiv.ini" beside the program, else the built-in words.

#include "logscan/TextList.h"

#include <filesystem>
#include <optional>

namespace kiv {

struct SearchWordSources {
    TextList typed; // Windows-1252, in the order typed; used alone when not empty
    std::optional<std::filesystem::path> wordFile;
    std::optional<std::filesystem::path> configFolder;
    std::filesystem::path programFolder;
};

// The file the words would be read from, or nothing for typed or built-in words.
std::optional<std::filesystem::path> SearchWordFile(const SearchWordSources& sources);

// Throws KivError "Impossible d'ouvrir le fichier %s" when the chosen file
// cannot be read: a search with other words than the user meant is worse than none.
TextList ChooseSearchWords(const SearchWordSources& sources);

} // namespace kiv
