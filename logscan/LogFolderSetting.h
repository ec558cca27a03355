#pragma once
// The school's log folder as a member of staff chose it in the window, kept in
// the configuration folder beside the three lists: the file "kivlogs.conf",
// one line "logs=PATH" with the path's bytes as the system names it (UTF-8 on
// Windows). The installed program then finds the school's share at every
// start, and kivlogs-cli --config finds it too. Other lines are kept as they
// are, for settings to come.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kiv {

inline constexpr const char* kSettingsFileName = "kivlogs.conf";

// The remembered log folder; none when the file or its "logs=" line is
// absent. A relative path is taken from configFolder. Only the first 16 KB of
// the file are read, a byte order mark at its start ignored. Throws KivError
// "Impossible d'ouvrir le fichier %s" when the file exists but cannot be read.
std::optional<std::filesystem::path> ReadLogFolderSetting(const std::filesystem::path& configFolder);

// Remembers the log folder, replacing the file whole or not at all. Throws
// KivError "Impossible de créer le fichier %s" when it cannot be written,
// "Fichier trop volumineux : %s" when it is over 16 KB (its end would be lost).
void WriteLogFolderSetting(const std::filesystem::path& configFolder, const std::filesystem::path& logFolder);

// Any other setting of the file, "key=VALUE", read and written by the same
// rules: the first such line's value; a write puts the line first and keeps
// the others as they are.
std::optional<std::string> ReadSetting(const std::filesystem::path& configFolder, std::string_view key);
void WriteSetting(const std::filesystem::path& configFolder, std::string_view key, std::string_view value);

} // namespace kiv
