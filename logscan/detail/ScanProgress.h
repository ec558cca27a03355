#pragma once
// What both scans do once a file is done: its error goes to the staff, the
// scan is marked as not having read every file, and the progress moves on.
// One place, so that the keyword search and the room scan report a file that
// cannot be read the same way and count their files the same way.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace kiv {

class ScanProgress {
public:
    using ErrorHandler = std::function<void(const std::string& message)>;
    using ProgressHandler = std::function<void(std::size_t filesDone, std::size_t filesTotal)>;

    ScanProgress(const ErrorHandler& onError, const ProgressHandler& onProgress, std::size_t total)
        : onError_(onError), onProgress_(onProgress), total_(total)
    {
    }

    // File index has been read to its end, or stopped by error.
    void FileDone(std::size_t index, const std::optional<std::string>& error)
    {
        if (error) {
            allRead_ = false;
            if (onError_)
                onError_(*error);
        }
        if (onProgress_)
            onProgress_(index + 1, total_);
    }

    bool AllRead() const noexcept { return allRead_; }

private:
    const ErrorHandler& onError_;
    const ProgressHandler& onProgress_;
    std::size_t total_;
    bool allRead_ = true;
};

} // namespace kiv
