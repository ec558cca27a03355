#include "FileFind/TFileSearch.h"

#include "FileFind/detail/WildcardMatch.h"
#include "common/AsciiCase.h"

#include <utility>

namespace kiv {
namespace {

// Marks the finder busy for the length of one Execute, also when an event
// handler throws out of the walk.
class RunningFlag {
public:
    explicit RunningFlag(std::atomic<bool>& flag) noexcept : flag_(flag) {}
    ~RunningFlag() { flag_.store(false); }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    std::atomic<bool>& flag_;
};

// The folder part of a mask runs up to and including its last "\", "/" or ":".
std::size_t FolderPartLength(std::string_view mask) noexcept
{
    const std::size_t last = mask.find_last_of("\\/:");
    return last == std::string_view::npos ? 0 : last + 1;
}

// "a\*.txt;*.log;sub\*.x" becomes a\*.txt, a\*.log and a\sub\*.x: each later
// mask is read relative to the folder of the one before it. A final ";" adds
// no mask.
std::vector<std::string> SplitMasks(const std::string& text)
{
    std::vector<std::string> masks;
    std::size_t semi = text.find(';');
    masks.push_back(text.substr(0, semi));
    while (semi != std::string::npos && semi + 1 < text.size()) {
        const std::size_t start = semi + 1;
        semi = text.find(';', start);
        const std::string& previous = masks.back();
        std::string mask = previous.substr(0, FolderPartLength(previous));
        mask.append(text, start, semi == std::string::npos ? std::string::npos : semi - start);
        masks.push_back(std::move(mask));
    }
    return masks;
}

// A handler may replace or unset itself while it runs; the call works on a
// copy so that the running handler is not destroyed under its own feet.
template <typename Handler, typename... Args>
void Raise(const Handler& handler, Args&&... args)
{
    if (handler) {
        const Handler running = handler;
        running(std::forward<Args>(args)...);
    }
}

} // namespace

void TFileSearch::SetSearchFile(std::string_view value)
{
    // The cut is the name pattern's: a log folder deep in a server's tree
    // may be longer than 255 bytes on its own and must still be searched.
    const std::size_t semi = value.find(';');
    const std::size_t folder = FolderPartLength(value.substr(0, semi));
    searchFile_.assign(value.substr(0, folder + kMaxSearchFile));
}

void TFileSearch::ClearFilesFound() noexcept
{
    filesFound_.clear();
    foundUpper_.clear();
}

bool TFileSearch::Execute()
{
    // A second walk of the same finder while one runs would clear and refill
    // the list that the first one is still building: it is refused instead.
    bool idle = false;
    if (!running_.compare_exchange_strong(idle, true))
        return false;
    const RunningFlag running(running_);

    stop_.store(false);
    ClearFilesFound();
    for (const std::string& mask : SplitMasks(searchFile_))
        SearchMask(mask);
    Raise(OnFinish, *this);
    return true;
}

void TFileSearch::SearchMask(const std::string& mask)
{
    const std::size_t folderLength = FolderPartLength(mask);
    const std::string folder = mask.substr(0, folderLength);
    const std::string pattern = mask.substr(folderLength);

    // Sub-folders are joined with the separator that the mask itself uses.
    const char separator = (folderLength > 0 && mask[folderLength - 1] == '\\') ? '\\' : '/';

    TSearchRec folderEntry;
    if (folderLength > 0) {
        if (auto found = LookUpEntry(folder.substr(0, folderLength - 1)))
            folderEntry = std::move(*found);
    }

    VisitFolder(folder, folderEntry, pattern, separator);
}

void TFileSearch::VisitFolder(const std::string& folder, const TSearchRec& entry,
                              const std::string& pattern, char separator)
{
    Raise(OnChangeFolder, folder, entry);

    // One listing serves both passes: the entries that match the pattern, then
    // the sub-folders among all entries.
    const std::vector<TSearchRec> entries = ListDirectory(folder);

    for (const TSearchRec& found : entries) {
        if (stop_.load())
            break;
        if (!WildcardMatch(pattern, found.Name))
            continue;
        Raise(OnFileFind, folder, found);
        if (keepFilesFound_)
            Collect(folder + found.Name);
        Pump();
    }

    for (const TSearchRec& found : entries) {
        if (stop_.load())
            break;
        Pump();
        // A link to a folder is not followed: a link back up the tree would
        // otherwise make the walk endless.
        if ((found.Attr & kAttrDirectory) != 0 && (found.Attr & kAttrSymLink) == 0
            && recurseSubFolders_)
            VisitFolder(folder + found.Name + separator, found, pattern, separator);
        Pump();
    }
}

void TFileSearch::Collect(std::string path)
{
    std::string upper = AsciiUpperCopy(path);
    if (check4Duplicates_) {
        if (!foundUpper_.insert(std::move(upper)).second)
            return;
    } else {
        foundUpper_.insert(std::move(upper));
    }
    filesFound_.push_back(std::move(path));
}

void TFileSearch::Pump()
{
    Raise(ProcessMessages);
}

} // namespace kiv
