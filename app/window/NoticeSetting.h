#pragma once
// Whether the watch's desktop notices give the count alone: the window may
// sit on a screen the class sees (a projector, a shared display), where a
// notice must not name the pupil. Kept with the window's other setting, the
// log folder, in "kivlogs.conf" of the configuration folder: the line
// "avis=nombre" (the count alone) or "avis=complet"; other lines are kept.

#include <filesystem>

namespace kiv {

// False (notices that name) when the file or its line is absent, or the file
// cannot be read: the log folder's own reading reports that.
bool ReadCountOnlyNotices(const std::filesystem::path& configFolder);

// Throws KivError "Impossible de créer le fichier %s" when the file cannot
// be written; it is then left as it was.
void WriteCountOnlyNotices(const std::filesystem::path& configFolder, bool countOnly);

} // namespace kiv
