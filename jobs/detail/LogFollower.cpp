#include "jobs/detail/LogFollower.h"

#include <algorithm>
#include <cstring>

namespace kiv {
namespace {

std::size_t LastBreak(std::string_view text) noexcept
{
    return text.find_last_of("\r\n");
}

} // namespace

bool LogFollower::LooksUnchanged(const std::filesystem::path& path) const
{
    // A look that stopped or failed before the end still has bytes to read.
    const std::optional<FileVersion> now = LookAtLogFile(path);
    return version_ && offset_ == version_->state.size && now && *now == *version_;
}

LogFollower::Look LogFollower::StartAfterLastLine(const std::filesystem::path& path, ByteBuffer& work,
                                                  LastLine& lastLine, const std::atomic<bool>* stop)
{
    lastLine = {};
    OpenLogFile file(path);
    const std::optional<FileVersion> version = file.IsOpen() ? file.Version() : std::nullopt;
    if (!version)
        return {Outcome::Unreadable};
    StartOver();
    // Back from the end a piece at a time: only the last line is read, however
    // large the log already is.
    std::uint64_t end = version->state.size;
    while (end > 0) {
        if (Cancelled(stop))
            return {Outcome::Stopped};
        const auto asked = static_cast<std::size_t>(std::min<std::uint64_t>(end, limits_.pieceSize));
        work.Clear();
        const long long got = file.ReadAt(end - asked, work.Reserve(asked), asked);
        if (got != static_cast<long long>(asked))
            return {Outcome::Unreadable};
        work.Commit(asked);
        const std::size_t at = LastBreak(work.View());
        if (at != std::string_view::npos) {
            offset_ = end - asked + at + 1;
            afterCr_ = work.View()[at] == '\r' && offset_ == version->state.size;
            break;
        }
        end -= asked;
    }
    if (offset_ > 0 && !FindLastLine(file, lastLine, work, stop))
        return {Cancelled(stop) ? Outcome::Stopped : Outcome::Unreadable};
    // The bytes just before where reading goes on, to tell a refilled log.
    fingerprint_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(offset_, kFingerprintSize)));
    if (!fingerprint_.empty()
        && file.ReadAt(offset_ - fingerprint_.size(), fingerprint_.data(), fingerprint_.size())
            != static_cast<long long>(fingerprint_.size()))
        return {Outcome::Unreadable};
    version_ = version;
    return {Outcome::Read};
}

// The line that ends at the break before offset_: where it starts (back to
// the break before it, a piece at a time) and how many tabs and spaces lead it.
bool LogFollower::FindLastLine(OpenLogFile& file, LastLine& lastLine, ByteBuffer& work,
                               const std::atomic<bool>* stop) const
{
    char last[2] = {};
    const std::size_t tail = offset_ >= 2 ? 2 : 1;
    if (file.ReadAt(offset_ - tail, last, tail) != static_cast<long long>(tail))
        return false;
    // The line's own bytes end before its break (a CR LF is one break).
    std::uint64_t end = offset_ - (tail == 2 && last[0] == '\r' && last[1] == '\n' ? 2 : 1);
    std::uint64_t start = 0;
    for (std::uint64_t upTo = end; upTo > 0;) {
        if (Cancelled(stop))
            return false;
        const auto asked = static_cast<std::size_t>(std::min<std::uint64_t>(upTo, limits_.pieceSize));
        work.Clear();
        if (file.ReadAt(upTo - asked, work.Reserve(asked), asked) != static_cast<long long>(asked))
            return false;
        work.Commit(asked);
        const std::size_t at = LastBreak(work.View());
        if (at != std::string_view::npos) {
            start = upTo - asked + at + 1;
            break;
        }
        upTo -= asked;
    }
    lastLine.exists = true;
    lastLine.first = start == 0;
    for (std::uint64_t at = start; at < end;) {
        const auto asked = static_cast<std::size_t>(std::min<std::uint64_t>(end - at, limits_.pieceSize));
        work.Clear();
        if (file.ReadAt(at, work.Reserve(asked), asked) != static_cast<long long>(asked))
            return false;
        work.Commit(asked);
        const std::string_view bytes = work.View();
        const std::size_t body = bytes.find_first_not_of(" \t");
        lastLine.blanks += body == std::string_view::npos ? bytes.size() : body;
        if (body != std::string_view::npos)
            break;
        at += asked;
    }
    return true;
}

LogFollower::Look LogFollower::ReadGained(const std::filesystem::path& path, bool dayEnds,
                                          const std::atomic<bool>* stop, const FollowedText& out, ByteBuffer& work)
{
    OpenLogFile file(path);
    const std::optional<FileVersion> version = file.IsOpen() ? file.Version() : std::nullopt;
    if (!version)
        return {Outcome::Unreadable};
    Look look{Outcome::Read, version_ ? ChangeSince(file, *version) : LogChange::None};
    if (look.change != LogChange::None) {
        StartOver();
        if (out.startsOver)
            out.startsOver();
    }
    version_ = version;
    const std::uint64_t end = version->state.size;
    if (offset_ >= end && !dayEnds)
        return {Outcome::Unchanged, look.change};

    work.Clear();
    if (!longLine_ && !partial_.empty()) {
        std::memcpy(work.Reserve(partial_.size()), partial_.data(), partial_.size());
        work.Commit(partial_.size());
        partial_.clear();
    }
    // The partial line goes back into partial_ however the look ends.
    const auto keepPartial = [&] {
        if (!longLine_)
            partial_.assign(work.View());
    };
    while (offset_ < end) {
        if (Cancelled(stop)) {
            keepPartial();
            look.outcome = Outcome::Stopped;
            return look;
        }
        const auto asked = static_cast<std::size_t>(std::min<std::uint64_t>(end - offset_, limits_.pieceSize));
        char* const into = work.Reserve(asked);
        const long long got = file.ReadAt(offset_, into, asked);
        if (got < 0) {
            keepPartial();
            look.outcome = Outcome::Unreadable;
            return look;
        }
        if (got == 0)
            break; // cut shorter while it was read: the next look tells
        work.Commit(static_cast<std::size_t>(got));
        Remember({into, static_cast<std::size_t>(got)});
        offset_ += static_cast<std::uint64_t>(got);
        HandOn(work, out);
    }
    if (dayEnds) {
        // The day's last line, whole though it has no break.
        if (longLine_)
            EndLongLine(out);
        else if (!work.View().empty() && out.lines)
            out.lines(work.View());
        work.Clear();
    }
    keepPartial();
    return look;
}

// Anything but growth since the last look: another file under the name, a
// log cut shorter, or the same size or more with other bytes where reading
// stopped (rewritten in place, or cut and refilled past where it was).
LogChange LogFollower::ChangeSince(OpenLogFile& file, const FileVersion& now)
{
    if (now.state.identity != version_->state.identity)
        return LogChange::Replaced;
    if (now.state.size < offset_)
        return LogChange::Cut;
    if (now.state.size == offset_)
        return now.modified == version_->modified ? LogChange::None : LogChange::Rewritten;
    std::string before(fingerprint_.size(), '\0');
    if (!before.empty()
        && (file.ReadAt(offset_ - before.size(), before.data(), before.size()) != static_cast<long long>(before.size())
            || before != fingerprint_))
        return LogChange::Rewritten;
    return LogChange::None;
}

void LogFollower::StartOver()
{
    offset_ = 0;
    fingerprint_.clear();
    partial_.clear();
    longLine_ = false;
    carry_.clear();
    afterCr_ = false;
}

void LogFollower::Remember(std::string_view read)
{
    if (read.size() >= kFingerprintSize) {
        fingerprint_.assign(read.substr(read.size() - kFingerprintSize));
        return;
    }
    fingerprint_.append(read);
    if (fingerprint_.size() > kFingerprintSize)
        fingerprint_.erase(0, fingerprint_.size() - kFingerprintSize);
}

// work: the partial line of the look so far, then the piece just read.
// Whole lines go out; what follows the last break stays in work.
void LogFollower::HandOn(ByteBuffer& work, const FollowedText& out)
{
    std::string_view text = work.View();
    std::size_t begin = 0;
    if (afterCr_ && !text.empty()) {
        // The LF of a CR LF whose CR ended the last look's lines: the same
        // break, not an empty line.
        begin = text.front() == '\n' ? 1 : 0;
        afterCr_ = false;
    }
    if (longLine_) {
        const std::size_t at = text.find_first_of("\r\n", begin);
        HandOnLongLine(text.substr(begin, (at == std::string_view::npos ? text.size() : at) - begin), out);
        if (at == std::string_view::npos) {
            work.Clear();
            return;
        }
        EndLongLine(out);
        begin = at + 1;
        if (text[at] == '\r') {
            if (begin == text.size())
                afterCr_ = true;
            else if (text[begin] == '\n')
                ++begin;
        }
    }
    const std::size_t last = LastBreak(text.substr(begin));
    if (last != std::string_view::npos) {
        const std::size_t cut = begin + last + 1;
        if (out.lines)
            out.lines(text.substr(begin, cut - begin));
        afterCr_ = text[cut - 1] == '\r' && cut == text.size();
        begin = cut;
    }
    work.DropFront(begin);
    if (work.View().size() > limits_.longestLine) {
        // Too long to be kept: its first bytes stand for it, the rest is
        // searched a piece at a time and let go.
        text = work.View();
        partial_.assign(text.substr(0, limits_.longestLine));
        longLine_ = true;
        carry_.assign(text.substr(limits_.longestLine - std::min(limits_.overlap, limits_.longestLine),
                                  std::min(limits_.overlap, limits_.longestLine)));
        HandOnLongLine(text.substr(limits_.longestLine), out);
        work.Clear();
    }
}

// A piece is never longer than what one read adds to the kept head: the
// carried bytes stay under a piece and the overlap.
void LogFollower::HandOnLongLine(std::string_view piece, const FollowedText& out)
{
    if (piece.empty())
        return;
    carry_.append(piece);
    if (out.longLinePiece)
        out.longLinePiece(carry_);
    const std::size_t keep = std::min(limits_.overlap, carry_.size());
    carry_.erase(0, carry_.size() - keep);
}

void LogFollower::EndLongLine(const FollowedText& out)
{
    if (out.longLineEnd)
        out.longLineEnd(partial_);
    partial_.clear();
    carry_.clear();
    longLine_ = false;
}

} // namespace kiv
