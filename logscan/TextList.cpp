#include "logscan/TextList.h"

#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LineBreaks.h"

#include <algorithm>
#include <stdexcept>


namespace kiv {
namespace {

struct LineMarking {
    std::size_t marks = 0; // written, the closing one included
    std::size_t end = 0;   // where the last line taken ends, its break included
};

// Writes the marks of the first maxLines lines of content (which holds no
// NUL) and the closing mark; out has room for one per break and two more.
// Runs of ordinary bytes are skipped sixteen at a time; an empty line costs a
// compare and a store.
template <unsigned kShift, typename Mark>
LineMarking MarkLines(std::string_view content, std::size_t maxLines, Mark* out) noexcept
{
    const char* const bytes = content.data();
    const std::size_t n = content.size();
    std::size_t written = 0;
    std::size_t start = 0;
    std::size_t i = 0;
    while (written < maxLines) {
        if (i < n && !IsLineBreak(bytes[i]))
            i = FindLineBreak(content, i, n);
        if (i >= n)
            break;
        const std::size_t breakLength = BreakLength(content, i);
        out[written++] = static_cast<Mark>(std::uint64_t{start} << kShift | breakLength);
        i += breakLength;
        start = i;
    }
    LineMarking marking;
    marking.end = n;
    if (written == maxLines)
        marking.end = start; // the lines asked for end here
    else if (start < n)
        out[written++] = static_cast<Mark>(std::uint64_t{start} << kShift); // the last line, without a break
    out[written++] = static_cast<Mark>(std::uint64_t{marking.end} << kShift);
    marking.marks = written;
    return marking;
}

} // namespace

TextList::TextList(std::initializer_list<std::string_view> lines)
{
    std::size_t bytes = 0;
    for (std::string_view line : lines)
        bytes += line.size();
    reserve(lines.size(), bytes);
    for (std::string_view line : lines)
        push_back(line);
}

std::string_view TextList::at(std::size_t i) const
{
    if (i >= size())
        throw std::out_of_range("TextList::at");
    return (*this)[i];
}

void TextList::Marks::Reserve(std::size_t count, std::uint64_t largest)
{
    if (!wide_ && largest > UINT32_MAX)
        Widen();
    if (wide_)
        wideMarks_.reserve(count);
    else
        narrowMarks_.reserve(count);
}

void TextList::Marks::Resize(std::size_t count, std::uint64_t largest)
{
    Clear();
    wide_ = largest > UINT32_MAX;
    if (wide_)
        wideMarks_.resize(count);
    else
        narrowMarks_.resize(count);
}

void TextList::Marks::Truncate(std::size_t count)
{
    if (wide_)
        wideMarks_.resize(count);
    else
        narrowMarks_.resize(count);
}

void TextList::Marks::PushBack(std::uint64_t mark)
{
    if (!wide_ && mark > UINT32_MAX)
        Widen();
    if (wide_)
        wideMarks_.push_back(mark);
    else
        narrowMarks_.push_back(static_cast<std::uint32_t>(mark));
}

void TextList::Marks::PopBack() noexcept
{
    if (wide_)
        wideMarks_.pop_back();
    else
        narrowMarks_.pop_back();
}

void TextList::Marks::SetBack(std::uint64_t mark) noexcept
{
    if (wide_)
        wideMarks_.back() = mark;
    else
        narrowMarks_.back() = static_cast<std::uint32_t>(mark); // never larger than what it replaces
}

void TextList::Marks::Clear() noexcept
{
    wide_ = false;
    narrowMarks_ = {};
    wideMarks_ = {};
}

void TextList::Marks::Widen()
{
    wideMarks_.assign(narrowMarks_.begin(), narrowMarks_.end());
    narrowMarks_ = {};
    wide_ = true;
}

void TextList::push_back(std::string_view line)
{
    if (lines_.Size() == 0)
        lines_.PushBack(std::uint64_t{bytes_.size()} << kBreakBits);
    // The end of the last line, with no break after it, is where this one starts.
    bytes_.append(line);
    lines_.PushBack(std::uint64_t{bytes_.size()} << kBreakBits);
}

void TextList::pop_back() noexcept
{
    lines_.PopBack();
    if (lines_.Size() == 1) {
        clear();
        return;
    }
    const std::uint64_t start = lines_[lines_.Size() - 1] & ~kBreakMask;
    lines_.SetBack(start);
    bytes_.resize(static_cast<std::size_t>(start >> kBreakBits));
}

void TextList::clear() noexcept
{
    bytes_.clear();
    lines_.Clear();
}

void TextList::reserve(std::size_t lines, std::size_t bytes)
{
    lines_.Reserve(size() + lines + 1, std::uint64_t{bytes_.size() + bytes} << kBreakBits);
    bytes_.reserve(bytes_.size() + bytes);
}

bool operator==(const TextList& a, const TextList& b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

bool operator==(const TextList& a, const std::vector<std::string>& b) noexcept
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

TextList SplitTextList(std::string_view content, std::size_t maxLines)
{
    content = BeforeNul(content);
    TextList list;
    if (content.empty() || maxLines == 0)
        return list;
    const std::size_t n = content.size();
    // Every line but the last ends at a break: room for one mark per break
    // and two more is enough, taken once (a list of a hundred million empty
    // lines must not be copied as it grows).
    const std::size_t room = std::min(CountLineBreaks(content), maxLines) + 2;
    const std::uint64_t largest = std::uint64_t{n} << TextList::kBreakBits | TextList::kBreakMask;
    list.lines_.Resize(room, largest);
    constexpr unsigned kShift = TextList::kBreakBits;
    const LineMarking marking = list.lines_.IsWide() ? MarkLines<kShift>(content, maxLines, list.lines_.Wide())
                                                     : MarkLines<kShift>(content, maxLines, list.lines_.Narrow());
    list.lines_.Truncate(marking.marks);
    list.bytes_.assign(content.substr(0, marking.end));
    return list;
}

std::string JoinTextList(const TextList& lines)
{
    std::size_t size = 0;
    for (std::string_view line : lines)
        size += line.size() + 2;
    std::string joined;
    joined.reserve(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 0)
            joined += "\r\n";
        joined += lines[i];
    }
    return joined;
}

TextList LoadTextListFile(const std::filesystem::path& path, std::string_view shownName, std::size_t maxLines)
{
    ByteBuffer bytes;
    if (!ReadFileBytes(path, bytes, ReadSharing::WithoutWriters))
        throw KivError(CannotOpenMessage(shownName));
    return SplitTextList(bytes.View(), maxLines);
}

void SaveTextFile(const std::filesystem::path& path, std::string_view bytes, std::string_view shownName)
{
    if (!WriteFileBytes(path, bytes))
        throw KivError(CannotCreateMessage(shownName));
}

} // namespace kiv
