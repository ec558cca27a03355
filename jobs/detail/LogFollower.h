#pragma once
// One log of the day followed from look to look: what it gained since the
// last look, read a piece at a time and handed on as whole lines. A busy
// server writes hundreds of megabytes between two looks, a log may already
// hold a gigabyte when the watch starts, and a crafted request can write a
// line of hundreds of megabytes: what the follower holds stays bounded by a
// piece and the longest line it keeps, whatever the log does.
//
// A log that changed otherwise than by growing (cut shorter, replaced by
// another file, rewritten in place, refilled after a cut) is noticed by its
// identity, its size, its modification time and the last bytes read before
// the place where reading goes on; it is then read again from its start.

#include "logscan/CancelFlag.h"
#include "logscan/FileIo.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kiv {

struct FollowLimits {
    std::size_t pieceSize = std::size_t{256} << 10;
    // A line longer than this is kept as its first bytes only; the rest of
    // it is handed on in pieces to be searched, never kept.
    std::size_t longestLine = std::size_t{1} << 20;
    // How many bytes each piece of a long line repeats from the one before:
    // the longest watched word less one, so that no word is cut in two.
    std::size_t overlap = 0;
};

// Why a log is read again from its start.
enum class LogChange { None, Replaced, Cut, Rewritten };

// Where the follower hands on what it read.
struct FollowedText {
    // The log is read again from its start (its change told in the look):
    // what follows is its first line.
    std::function<void()> startsOver;
    // Whole lines as the log holds them, each with its break; at the end of
    // the day the last line comes without one.
    std::function<void(std::string_view lines)> lines;
    // A line longer than the longest kept: the bytes after its first ones,
    // piece by piece (each starting with the overlap of the piece before);
    // then, once its break comes, its first bytes.
    std::function<void(std::string_view piece)> longLinePiece;
    std::function<void(std::string_view head)> longLineEnd;
};

class LogFollower {
public:
    enum class Outcome {
        Unchanged,  // nothing gained since the last look
        Read,       // read to the size the log had when it was opened
        Stopped,    // the stop came between two pieces: what was read whole went out
        Unreadable, // cannot be opened or read now (what was read before went out)
    };
    struct Look {
        Outcome outcome = Outcome::Unchanged;
        LogChange change = LogChange::None; // read again from its start, and why
    };

    explicit LogFollower(FollowLimits limits = {}) : limits_(limits) {}

    // A log that held lines before the watch began: reading will go on after
    // its last line break, found by reading back from its end only as far as
    // that break. Unreadable or Read. lastLine: the leading blanks of the line
    // before that break, where there is one, for the indentation rule.
    struct LastLine {
        bool exists = false;
        bool first = false; // the file's first line
        std::size_t blanks = 0;
    };
    // stop is looked at before each piece read back (Stopped).
    Look StartAfterLastLine(const std::filesystem::path& path, ByteBuffer& work, LastLine& lastLine,
                            const std::atomic<bool>* stop = nullptr);

    // Reads what the log gained since the last look (all of it the first
    // time) and hands it on. dayEnds: the day is over, its last line is
    // handed on without its break. stop is looked at before each piece.
    // work: memory lent for the look, shared by every log of the day.
    Look ReadGained(const std::filesystem::path& path, bool dayEnds, const std::atomic<bool>* stop,
                    const FollowedText& out, ByteBuffer& work);

    // True when the log at path looks as it did at the end of the last look
    // (a look at its entry, no read) and that look read all it held: nothing
    // to do.
    bool LooksUnchanged(const std::filesystem::path& path) const;

private:
    LogChange ChangeSince(OpenLogFile& file, const FileVersion& now);
    bool FindLastLine(OpenLogFile& file, LastLine& lastLine, ByteBuffer& work, const std::atomic<bool>* stop) const;
    void StartOver();
    void Remember(std::string_view read);
    void HandOn(ByteBuffer& work, const FollowedText& out);
    void HandOnLongLine(std::string_view piece, const FollowedText& out);
    void EndLongLine(const FollowedText& out);

    static constexpr std::size_t kFingerprintSize = 32;

    FollowLimits limits_;
    std::optional<FileVersion> version_; // as the last look found the log
    std::uint64_t offset_ = 0;           // the bytes read so far
    std::string fingerprint_;            // the last bytes before offset_, as read
    std::string partial_;                // a line not ended yet (the first bytes of a long one)
    bool longLine_ = false;              // partial_ holds the head of a line longer than longestLine
    std::string carry_;                  // the end of the long line's last piece
    bool afterCr_ = false;               // the last byte read ended a line with CR: an LF may follow
};

} // namespace kiv
