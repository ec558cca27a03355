#include "logscan/LogLineReader.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LineBreaks.h"

#include <cstring>
#include <optional>
#include <utility>

namespace kiv {
namespace {

// Where a file's indentation was first refused: the start of the refused
// line, its count of leading blanks and its text without them. lastDepth: the
// depth of the last accepted line.
struct Refusal {
    bool refused = false;
    std::size_t lineStart = 0;
    long long level = 0;
    std::string_view item;
    std::size_t lastDepth = 0;
};

// Walks the lines of text with the depth check, handing each accepted line
// (without its leading blanks) to onLine with where the line starts and where
// the next one starts. The first line of a file has depth 0 whatever its
// blanks; a later line may be at most one step deeper than the one before.
// Text that continues a file starts with a later line, after one of depth
// previous. A refused line ends the walk, or, when refused lines are skipped,
// is left out and the next line is checked against the last accepted one.
template <class OnLine>
Refusal WalkLines(std::string_view text, std::optional<std::size_t> previous, RefusedLine rule, OnLine&& onLine)
{
    BreakFinder breaks(text);
    const std::size_t n = text.size();
    std::size_t start = 0;
    std::size_t previousDepth = previous.value_or(0);
    bool first = !previous;
    Refusal refusal;
    while (start < n) {
        const std::size_t end = breaks.Next(start);
        const std::size_t next = end == n ? n : AfterBreak(text, end);
        const std::size_t body = SkipLineBlanks(text, start, end);
        const std::size_t blanks = body - start;
        const std::string_view item = text.substr(body, end - body);
        if (first) {
            previousDepth = 0;
            first = false;
            onLine(item, start, next);
        } else if (blanks > previousDepth + 1) {
            if (!refusal.refused)
                refusal = Refusal{true, start, static_cast<long long>(blanks), item, 0};
            if (rule == RefusedLine::EndsTheFile)
                break;
        } else {
            previousDepth = blanks;
            onLine(item, start, next);
        }
        start = next;
    }
    refusal.lastDepth = previousDepth;
    return refusal;
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
    const Refusal refusal =
        WalkLines(text, previousDepth, RefusedLine::EndsTheFile, [](std::string_view, std::size_t, std::size_t) {});
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
    std::optional<KivError> refused;
    if (rule_ == RefusedLine::IsSkipped) {
        // The refused lines are taken out first; what is left passes the rule whole.
        try {
            Check(std::nullopt);
        } catch (KivError& error) {
            refused = std::move(error);
        }
        WalkLines(content_, std::nullopt, rule_,
                  [this](std::string_view line, std::size_t, std::size_t) { lines_.push_back(line); });
        if (refused)
            throw *refused;
        return;
    }
    const std::string_view text = Bytes();
    const Refusal refusal = WalkLines(text, std::nullopt, rule_, [this](std::string_view line, std::size_t, std::size_t) {
        lines_.push_back(line);
    });
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
    if (!checked.refusal)
        return;
    if (rule_ == RefusedLine::IsSkipped)
        SkipRefusedLines(checked.accepted);
    throw KivError(std::move(*checked.refusal));
}

// A keyword log goes on after a refused line: the lines after it are moved
// down over it, each checked against the last line accepted, so that the
// content is the accepted lines in order, each with its own break. One pass
// over the rest of the file, however many lines are refused.
void LogLineReader::SkipRefusedLines(std::size_t firstRefused)
{
    char* const bytes = MutableBytes();
    const std::string_view text = Bytes();
    std::size_t kept = firstRefused;
    const Refusal rest = WalkLines(text.substr(firstRefused), lastDepth_, RefusedLine::IsSkipped,
                                   [&](std::string_view, std::size_t start, std::size_t next) {
                                       const std::size_t from = firstRefused + start;
                                       if (from != kept) {
                                           std::memmove(bytes + kept, bytes + from, next - start);
                                           // An empty line's lone LF put after a lone CR would
                                           // join it into one CR LF: it becomes a lone CR, the
                                           // same break.
                                           if (kept > 0 && bytes[kept - 1] == '\r' && bytes[kept] == '\n')
                                               bytes[kept] = '\r';
                                       }
                                       kept += next - start;
                                   });
    lastDepth_ = rest.lastDepth;
    content_ = text.substr(0, kept);
}

char* LogLineReader::MutableBytes() noexcept
{
    return fromFile_ ? file_.Data() : buffer_.data();
}

} // namespace kiv
