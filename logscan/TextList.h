#pragma once
// Text lists: the word list, the room list, the time-slot list and every list
// of lines the tool keeps. One entry per line, bytes exactly as they stand.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

using TextList = std::vector<std::string>;

// A line ends at CR LF, at a lone CR or at a lone LF; a break after the last
// line adds no entry; an empty line inside is an empty entry; a NUL byte ends
// the content.
TextList SplitTextList(std::string_view content);

// The lines joined by CR LF, with no break after the last one: what the list
// dialogs write.
std::string JoinTextList(const TextList& lines);

// Reads a list file. Throws KivError "Impossible d'ouvrir le fichier %s" with
// shownName (the name as the user gave it) when it cannot be read.
TextList LoadTextListFile(const std::filesystem::path& path, std::string_view shownName);

// Replaces the file with exactly these bytes. Throws KivError
// "Impossible de créer le fichier %s" with shownName when it cannot be written.
void SaveTextFile(const std::filesystem::path& path, std::string_view bytes, std::string_view shownName);

} // namespace kiv
