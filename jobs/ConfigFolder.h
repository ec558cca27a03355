#pragma once
// The configuration folder: where both programs read "kiv.ini",
// "kiv_salles.txt", "kiv_heures.txt" and "kivlogs.conf". One rule for the
// window and kivlogs-cli: the folder given with --config, else with
// --user-config the member of staff's own folder, else the current folder. A
// technician who runs kivlogs-cli --user-config from a scheduled task then
// reads the words, rooms, slots and log folder the window keeps.
//
// The installed program lives in /usr/bin, where no list can be written, and
// the school's default lists come in /usr/share/kivlogs: the user's own
// folder is filled from them on first use, so that the words saved from
// "Modifier mots recherchés par défaut" are the ones read next time.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kiv {

// The default lists that come with the program: share/kivlogs beside the
// executable's folder (/usr/share/kivlogs for /usr/bin/kivlogs).
std::filesystem::path SharedListFolder(const std::filesystem::path& exeFolder);

// The user's own configuration folder: $XDG_CONFIG_HOME/kivlogs, or
// $HOME/.config/kivlogs when XDG_CONFIG_HOME is unset, empty or relative
// (%APPDATA%\kivlogs on Windows). Empty when the environment names neither.
std::filesystem::path UserConfigFolder();

// "Dossier de configuration introuvable : ni XDG_CONFIG_HOME ni HOME ne sont
// définis" (Windows-1252): UserConfigFolder() gave nothing.
std::string NoUserConfigFolderMessage();

// Creates folder when it is missing and copies into it each of the three
// lists that it lacks from sharedFolder; a list already there is never
// replaced, so nothing the user saved is lost. Gives the error texts
// (Windows-1252) of what could not be done, none on success.
std::vector<std::string> FillConfigFolder(const std::filesystem::path& folder,
                                          const std::filesystem::path& sharedFolder);

struct ConfigFolderChoice {
    std::filesystem::path folder;
    std::vector<std::string> errors; // Windows-1252, to be shown; the folder is still usable
};

// The configuration folder of a start: given (--config, made absolute against
// currentFolder), else the user's own folder when userFolder (--user-config),
// created and filled from the lists installed beside exeFolder, else
// currentFolder. When the environment names no user folder, the error says so
// and the current folder is used.
ConfigFolderChoice ChooseConfigFolder(const std::optional<std::filesystem::path>& given, bool userFolder,
                                      const std::filesystem::path& currentFolder,
                                      const std::filesystem::path& exeFolder);

} // namespace kiv
