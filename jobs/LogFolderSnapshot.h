#pragma once
// The log folder listed once, for a job that reads it day after day (a report
// over a school year): the finder looks at every entry of the folder each time
// it lists it, and a year's folder holds hundreds of logs. Each day's files are
// picked from the one listing by the masks the finder would apply, in its order.
// A log written after the listing is not seen.

#include "jobs/LogFolder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

class LogFolderSnapshot {
public:
    explicit LogFolderSnapshot(const std::filesystem::path& folder);

    // "Impossible d'ouvrir le dossier %s" when the folder could not be listed.
    const std::optional<std::string>& Error() const noexcept { return all_.error; }
    // The files whose names match namePattern ("*050206.txt"), as
    // ListLogFiles(folder, namePattern) gives them.
    std::vector<std::string> Files(std::string_view namePattern) const;

private:
    LogFolderListing all_;
};

} // namespace kiv
