#pragma once
// TFileSearch: lists the directory entries that match a path mask, or several
// masks separated by ";", optionally through sub-folders, collecting their full
// paths and reporting each folder and entry through events.

#include "FileFind/DirectoryListing.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kiv {

class TFileSearch;

// fullpath: the folder being listed, ending in its separator; info: the entry.
using TFindFileEvent = std::function<void(const std::string& fullpath, const TSearchRec& info)>;
// fullpath: the folder about to be listed, ending in its separator; info: that
// folder's own entry (empty when it could not be looked up).
using TChangeFolderEvent = std::function<void(const std::string& fullpath, const TSearchRec& info)>;
using TNotifyEvent = std::function<void(TFileSearch& sender)>;

class TFileSearch {
public:
    static constexpr std::size_t kMaxSearchFile = 255;

    TFileSearch() = default;
    TFileSearch(const TFileSearch&) = delete;
    TFileSearch& operator=(const TFileSearch&) = delete;

    // Runs the whole walk and raises OnFinish before it returns, also when the
    // walk was stopped or found nothing. Stop is reset and FilesFound cleared
    // first. Returns false, doing nothing at all, when an Execute of this finder
    // is already running (called from one of its event handlers or from another
    // thread). An exception thrown by an event handler ends the walk and passes
    // out; FilesFound keeps what was collected until then.
    bool Execute();

    // Setting Stop during a walk ends every running enumeration at its next
    // check. Safe to set from another thread; as Execute clears it when it
    // starts, a stop set before that moment is not seen by the walk.
    bool Stop() const noexcept { return stop_.load(); }
    void SetStop(bool value) noexcept { stop_.store(value); }

    // When true (the default), each entry found is collected in FilesFound.
    bool KeepFilesFound() const noexcept { return keepFilesFound_; }
    void SetKeepFilesFound(bool value) noexcept { keepFilesFound_ = value; }

    // The mask, or masks separated by ";"; what follows the first mask's
    // folder is cut to its first 255 bytes.
    const std::string& SearchFile() const noexcept { return searchFile_; }
    void SetSearchFile(std::string_view value);

    // When true (the default), a path is collected only when FilesFound does
    // not hold it yet, letters compared without regard to ASCII case.
    bool Check4Duplicates() const noexcept { return check4Duplicates_; }
    void SetCheck4Duplicates(bool value) noexcept { check4Duplicates_ = value; }

    // Full paths of the entries found (the mask's folder text followed by the
    // name), in the order found.
    const std::vector<std::string>& FilesFound() const noexcept { return filesFound_; }
    void ClearFilesFound() noexcept;

    // When true (the default), the walk descends into every sub-folder.
    bool RecurseSubFolders() const noexcept { return recurseSubFolders_; }
    void SetRecurseSubFolders(bool value) noexcept { recurseSubFolders_ = value; }

    TFindFileEvent OnFileFind;
    TChangeFolderEvent OnChangeFolder;
    TNotifyEvent OnFinish;
    // Called after each entry found and twice per entry while looking for
    // sub-folders, so that a window can stay responsive during a long walk
    // over a network share.
    std::function<void()> ProcessMessages;

private:
    void SearchMask(const std::string& mask);
    void VisitFolder(const std::string& folder, const TSearchRec& entry, const std::string& pattern,
                     char separator);
    void Collect(std::string path);
    void Pump();

    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    bool keepFilesFound_ = true;
    std::string searchFile_;
    bool check4Duplicates_ = true;
    std::vector<std::string> filesFound_;
    std::unordered_set<std::string> foundUpper_; // FilesFound upper-cased, for the duplicate check
    bool recurseSubFolders_ = true;
};

} // namespace kiv
