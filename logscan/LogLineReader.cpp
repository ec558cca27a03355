#include "logscan/LogLineReader.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LineBreaks.h"

#include <optional>
#include <utility>

namespace kiv {
namespace {

// Where a file's indentation was refused: the start of the refused line, its
// count of leading blanks and its text without them. lastDepth: the depth of
// the last accepted line.
struct Refusal {
    bool refused = false;
    std::size_t lineStart = 0;
    long long level = 0;
    std::string_view item;
    std::size_t lastDepth = 0;
};

// Walks the lines of text with the depth check, handing each accepted line
// (without its leading blanks) to onLine. The first line of a file has depth 0
// whatever its blanks; a later line may be at most one step deeper than the
// one before. Text that continues a file starts with a later line, after one
// of depth previous.
template <class OnLine>
Refusal WalkLines(std::string_view text, std::optional<std::size_t> previous, OnLine&& onLine)
{
    BreakFinder breaks(text);
    const std::size_t n = text.size();
    std::size_t start = 0;
    std::size_t previousDepth = previous.value_or(0);
    bool first = !previous;
    while (start < n) {
        const std::size_t end = breaks.Next(start);
        const std::size_t body = SkipLineBlanks(text, start, end);
        const std::size_t blanks = body - start;
        const std::string_view item = text.substr(body, end - body);
        if (first) {
            previousDepth = 0;
            first = false;
        } else {
            if (blanks > previousDepth + 1)
                return Refusal{true, start, static_cast<long long>(blanks), item, previousDepth};
            previousDepth = blanks;
        }
        onLine(item);
        if (end == n)
            break;
        start = AfterBreak(text, end);
    }
    return Refusal{false, 0, 0, {}, previousDepth};
}

} // namespace

LogIndentation CheckLogIndentation(std::string_view text, std::optional<std::size_t> previousDepth)
{
    // Text without an indented line has every line at depth 0: a first line
    // is at depth 0 whatever its blanks, and a later one at depth 0 always
    // passes.
    const bool firstIndented = previousDepth && !text.empty() && IsLineBlank(text[0]);
    if (!firstIndented && !AnyLaterLineIndented(text))
        return {text.size(), text.empty() ? previousDepth.value_or(0) : 0, std::nullopt};
    const Refusal refusal = WalkLines(text, previousDepth, [](std::string_view) {});
    if (!refusal.refused)
        return {text.size(), refusal.lastDepth, std::nullopt};
    return {refusal.lineStart, refusal.lastDepth, BadLevelMessage(refusal.level, refusal.item)};
}

bool LogLineReader::Load(const std::filesystem::path& path)
{
    lastReadOpened_ = ReadFileBytes(path, spare_);
    if (!lastReadOpened_)
        return false;
    std::swap(file_, spare_);
    fromFile_ = true;
    return true;
}

void LogLineReader::Take(std::string& bytes)
{
    buffer_.swap(bytes);
    fromFile_ = false;
    lastReadOpened_ = true;
}

std::string_view LogLineReader::Bytes() const noexcept
{
    return fromFile_ ? file_.View() : std::string_view(buffer_);
}

void LogLineReader::Read(const std::filesystem::path& path, std::string_view shownPath)
{
    if (!Load(path))
        throw KivError(CannotOpenMessage(shownPath));
    Split();
}

void LogLineReader::ReadBytes(std::string bytes)
{
    Take(bytes);
    Split();
}

void LogLineReader::ReadContent(const std::filesystem::path& path, std::string_view shownPath)
{
    if (!Load(path))
        throw KivError(CannotOpenMessage(shownPath));
    Check(std::nullopt);
}

void LogLineReader::ReadContentInPlace(const std::filesystem::path& path, std::string_view shownPath,
                                       const ScanThreads& threads)
{
    // The previous bytes are given up before the read may move them.
    content_ = {};
    lines_.clear();
    lastDepth_ = 0;
    fromFile_ = true;
    lastReadOpened_ = ReadFileBytesSideBySide(path, file_, threads);
    if (!lastReadOpened_) {
        file_.Clear();
        throw KivError(CannotOpenMessage(shownPath));
    }
    Check(std::nullopt);
}

void LogLineReader::ReadContentBytes(std::string bytes)
{
    Take(bytes);
    Check(std::nullopt);
}

void LogLineReader::ReadMoreContentBytes(std::string bytes, std::size_t previousDepth)
{
    Take(bytes);
    Check(previousDepth);
}

std::string_view LogLineReader::Text(std::size_t index) const
{
    if (index >= lines_.size())
        throw KivError(BadIndexMessage());
    return lines_[index];
}

void LogLineReader::Split()
{
    lines_.clear();
    // A NUL is a byte of its line like any other: one that a crafted request
    // puts into the proxy's log must not hide the rest of the day from the staff.
    const std::string_view text = Bytes();
    const Refusal refusal = WalkLines(text, std::nullopt, [this](std::string_view line) { lines_.push_back(line); });
    lastDepth_ = refusal.lastDepth;
    content_ = refusal.refused ? text.substr(0, refusal.lineStart) : text;
    if (refusal.refused)
        throw KivError(BadLevelMessage(refusal.level, refusal.item));
}

void LogLineReader::Check(std::optional<std::size_t> previousDepth)
{
    lines_.clear();
    const std::string_view text = Bytes();
    LogIndentation checked = CheckLogIndentation(text, previousDepth);
    lastDepth_ = checked.lastDepth;
    content_ = text.substr(0, checked.accepted);
    if (checked.refusal)
        throw KivError(std::move(*checked.refusal));
}

} // namespace kiv
