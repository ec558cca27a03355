#include "jobs/ConfigFolder.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"

#include <array>
#include <cstdlib>
#include <system_error>

namespace kiv {
namespace {

constexpr std::array<const char*, 3> kListFiles{"kiv.ini", "kiv_salles.txt", "kiv_heures.txt"};

bool IsFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool IsFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// An environment variable as a path; empty when unset.
std::filesystem::path EnvironmentPath(const char* name)
{
#ifdef _WIN32
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = _wgetenv(wide.c_str());
    return value ? std::filesystem::path(value) : std::filesystem::path();
#else
    const char* value = std::getenv(name);
    return value ? PathFromBytes(value) : std::filesystem::path();
#endif
}

// "Impossible de créer le dossier %s"
std::string CannotCreateFolderMessage(const std::filesystem::path& folder)
{
    return "Impossible de cr\xE9""er le dossier " + PathForMessage(folder);
}

} // namespace

std::filesystem::path SharedListFolder(const std::filesystem::path& exeFolder)
{
    return (exeFolder / ".." / "share" / "kivlogs").lexically_normal();
}

std::filesystem::path UserConfigFolder()
{
#ifdef _WIN32
    const std::filesystem::path base = EnvironmentPath("APPDATA");
    return base.is_absolute() ? base / "kivlogs" : std::filesystem::path();
#else
    // Relative values are ignored, as the freedesktop.org rule asks: they
    // would name a different folder from every starting folder.
    const std::filesystem::path xdg = EnvironmentPath("XDG_CONFIG_HOME");
    if (xdg.is_absolute())
        return xdg / "kivlogs";
    const std::filesystem::path home = EnvironmentPath("HOME");
    if (home.is_absolute())
        return home / ".config" / "kivlogs";
    return {};
#endif
}

std::string NoUserConfigFolderMessage()
{
#ifdef _WIN32
    return "Dossier de configuration introuvable : APPDATA n'est pas d\xE9""fini";
#else
    return "Dossier de configuration introuvable : ni XDG_CONFIG_HOME ni HOME ne sont d\xE9""finis";
#endif
}

std::vector<std::string> FillConfigFolder(const std::filesystem::path& folder,
                                          const std::filesystem::path& sharedFolder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!IsFolder(folder))
        return {CannotCreateFolderMessage(folder)};

    std::vector<std::string> errors;
    ByteBuffer bytes;
    for (const char* name : kListFiles) {
        const std::filesystem::path target = folder / name;
        const std::filesystem::path source = sharedFolder / name;
        // A list the user already has is theirs; a default that is not
        // there (a program run from its build folder) is simply not copied.
        if (std::filesystem::exists(std::filesystem::symlink_status(target, error)) || !IsFile(source))
            continue;
        if (!ReadFileBytes(source, bytes))
            errors.push_back(CannotOpenMessage(PathForMessage(source)));
        else if (!WriteFileBytes(target, bytes.View()))
            errors.push_back(CannotCreateMessage(PathForMessage(target)));
    }
    return errors;
}

ConfigFolderChoice ChooseConfigFolder(const std::optional<std::filesystem::path>& given, bool userFolder,
                                      const std::filesystem::path& currentFolder,
                                      const std::filesystem::path& exeFolder)
{
    if (given)
        return {given->is_absolute() ? *given : currentFolder / *given, {}};
    if (!userFolder)
        return {currentFolder, {}};
    const std::filesystem::path folder = UserConfigFolder();
    if (folder.empty())
        return {currentFolder, {NoUserConfigFolderMessage()}};
    return {folder, FillConfigFolder(folder, SharedListFolder(exeFolder))};
}

} // namespace kiv
