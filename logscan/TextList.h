#pragma once
// Text lists: the word list, the room list, the time-slot list and every list
// of lines the tool keeps. One entry per line, bytes exactly as they stand.
//
// A list holds its lines' bytes in one buffer, each line followed by the
// break it had in its file (or by none), and one number per line: where it
// starts and how long its break is. A list file of millions of lines costs its
// bytes and four bytes per line (eight past a gigabyte), not a string per
// line. Entries are read as views, valid until the list changes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

class TextList {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        std::string_view operator*() const { return (*list_)[index_]; }
        std::string_view operator[](difference_type n) const { return (*list_)[index_ + static_cast<std::size_t>(n)]; }
        const_iterator& operator++() { ++index_; return *this; }
        const_iterator operator++(int) { const_iterator old = *this; ++index_; return old; }
        const_iterator& operator--() { --index_; return *this; }
        const_iterator operator--(int) { const_iterator old = *this; --index_; return old; }
        const_iterator& operator+=(difference_type n) { index_ += static_cast<std::size_t>(n); return *this; }
        const_iterator& operator-=(difference_type n) { index_ -= static_cast<std::size_t>(n); return *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
        friend bool operator!=(const const_iterator& a, const const_iterator& b) { return a.index_ != b.index_; }
        friend bool operator<(const const_iterator& a, const const_iterator& b) { return a.index_ < b.index_; }
        friend bool operator>(const const_iterator& a, const const_iterator& b) { return a.index_ > b.index_; }
        friend bool operator<=(const const_iterator& a, const const_iterator& b) { return a.index_ <= b.index_; }
        friend bool operator>=(const const_iterator& a, const const_iterator& b) { return a.index_ >= b.index_; }

    private:
        friend class TextList;
        const_iterator(const TextList* list, std::size_t index) : list_(list), index_(index) {}
        const TextList* list_ = nullptr;
        std::size_t index_ = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = std::string_view;
    using const_reference = std::string_view;

    TextList() = default;
    TextList(std::initializer_list<std::string_view> lines);

    std::size_t size() const noexcept { return lines_.Size() == 0 ? 0 : lines_.Size() - 1; }
    bool empty() const noexcept { return lines_.Size() == 0; }

    // Line i, without its break.
    std::string_view operator[](std::size_t i) const noexcept
    {
        const std::uint64_t mark = lines_[i];
        const auto start = static_cast<std::size_t>(mark >> kBreakBits);
        const auto end = static_cast<std::size_t>((lines_[i + 1] >> kBreakBits) - (mark & kBreakMask));
        return std::string_view(bytes_).substr(start, end - start);
    }
    // Line i; throws std::out_of_range past the end.
    std::string_view at(std::size_t i) const;
    std::string_view front() const noexcept { return (*this)[0]; }
    std::string_view back() const noexcept { return (*this)[size() - 1]; }

    const_iterator begin() const noexcept { return {this, 0}; }
    const_iterator end() const noexcept { return {this, size()}; }

    // Adds a line at the end, any bytes (a word typed with a break in it is
    // kept as it is).
    void push_back(std::string_view line);
    void emplace_back(std::string_view line) { push_back(line); }
    void pop_back() noexcept;
    void clear() noexcept;
    // Room for this many more lines of this many bytes in all.
    void reserve(std::size_t lines, std::size_t bytes = 0);

    friend bool operator==(const TextList& a, const TextList& b) noexcept;
    // The same lines as a list of strings (either side).
    friend bool operator==(const TextList& a, const std::vector<std::string>& b) noexcept;

private:
    friend TextList SplitTextList(std::string_view content, std::size_t maxLines);

    static constexpr unsigned kBreakBits = 2;
    static constexpr std::uint64_t kBreakMask = 3;

    // Numbers kept in four bytes each until one needs eight.
    class Marks {
    public:
        std::size_t Size() const noexcept { return wide_ ? wideMarks_.size() : narrowMarks_.size(); }
        std::uint64_t operator[](std::size_t i) const noexcept { return wide_ ? wideMarks_[i] : narrowMarks_[i]; }
        void Reserve(std::size_t count, std::uint64_t largest);
        // Room for count marks, none larger than largest, written in place
        // through Narrow() or Wide(), whichever the largest needs; Truncate
        // then keeps the ones written.
        void Resize(std::size_t count, std::uint64_t largest);
        bool IsWide() const noexcept { return wide_; }
        std::uint32_t* Narrow() noexcept { return narrowMarks_.data(); }
        std::uint64_t* Wide() noexcept { return wideMarks_.data(); }
        void Truncate(std::size_t count);
        void PushBack(std::uint64_t mark);
        void PopBack() noexcept;
        void SetBack(std::uint64_t mark) noexcept;
        void Clear() noexcept;

    private:
        void Widen();
        bool wide_ = false;
        std::vector<std::uint32_t> narrowMarks_;
        std::vector<std::uint64_t> wideMarks_;
    };

    std::string bytes_; // the lines, each followed by its break or none
    // Per line: its start shifted left by kBreakBits, or-ed with the length of
    // the break after it (0, 1 or 2); then the end of the last line's bytes.
    Marks lines_;
};

// A line ends at CR LF, at a lone CR or at a lone LF; a break after the last
// line adds no entry; an empty line inside is an empty entry; a NUL byte ends
// the content. With maxLines, the lines after the first maxLines are left
// out without being looked at.
TextList SplitTextList(std::string_view content, std::size_t maxLines = static_cast<std::size_t>(-1));

// The lines joined by CR LF, with no break after the last one: what the list
// dialogs write.
std::string JoinTextList(const TextList& lines);

// Reads a list file (its first maxLines lines only, when given). Throws
// KivError "Impossible d'ouvrir le fichier %s" with shownName (the name as the
// user gave it) when it cannot be read.
TextList LoadTextListFile(const std::filesystem::path& path, std::string_view shownName,
                          std::size_t maxLines = static_cast<std::size_t>(-1));

// Replaces the file with exactly these bytes. Throws KivError
// "Impossible de créer le fichier %s" with shownName when it cannot be written.
void SaveTextFile(const std::filesystem::path& path, std::string_view bytes, std::string_view shownName);

} // namespace kiv
