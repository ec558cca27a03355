#pragma once
// LogLineReader: one log file as an ordered list of lines. The whole file is
// read in one piece; each line is a view into that buffer, without its line
// break and without its leading blanks (tabs and spaces), which count as an
// indentation depth: a line indented more than one step deeper than the line
// before is refused. A NUL byte is a byte of its line (unlike a list file,
// where it ends the content): the lines after it are read.

#include "logscan/FileIo.h"
#include "logscan/ScanThreads.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// The reader's indentation rule on text made of whole lines of a log, for a
// scan that reads a log a piece at a time. previousDepth: the depth of the
// line before the text, when the text continues a file.
struct LogIndentation {
    std::size_t accepted = 0;  // the bytes before the refused line: all of them when none is
    std::size_t lastDepth = 0; // the depth of the last accepted line
    std::optional<std::string> refusal; // the message the reader throws for the refused line
};
LogIndentation CheckLogIndentation(std::string_view text, std::optional<std::size_t> previousDepth);

// What a refused line does to the rest of its file. A connection log is read
// as it always was: nothing after the refused line. A keyword log leaves the
// refused line out and goes on with the next one, checked against the last
// line accepted: a line that the staff do not control must not hide the rest
// of the day's watched words.
enum class RefusedLine { EndsTheFile, IsSkipped };

class LogLineReader {
public:
    explicit LogLineReader(RefusedLine rule = RefusedLine::EndsTheFile) noexcept : rule_(rule) {}

    // Reads the file, replacing the previous lines. shownPath is the path as
    // the finder found it, for the messages. Throws KivError:
    //  - "Impossible d'ouvrir le fichier %s": the previous lines are kept;
    //  - "Niveau incorrect (%d) pour l'élément "%s"": the lines before the
    //    refused one are kept, the rest of the file is not read; when refused
    //    lines are skipped, the whole file is read first, every refused line
    //    left out, and the message names the first of them.
    void Read(const std::filesystem::path& path, std::string_view shownPath);

    // The same rules on bytes already in memory.
    void ReadBytes(std::string bytes);

    // Reads and checks the file exactly as Read does, but builds no line list
    // (Count() is then 0): for a scan that looks at the few lines a keyword
    // search points at, Content() holds everything it needs. Throws as Read.
    void ReadContent(const std::filesystem::path& path, std::string_view shownPath);
    void ReadContentBytes(std::string bytes);

    // Reads and checks the file as ReadContent does, into the memory of the
    // file read before: one buffer serves a scan that reads file after file
    // and keeps nothing of a file once it is scanned. A file that cannot be
    // opened leaves no content behind (Content() is empty), not the previous one.
    // A large file is read by as many threads as threads gives for its size.
    void ReadContentInPlace(const std::filesystem::path& path, std::string_view shownPath,
                            const ScanThreads& threads = ScanThreads{1});

    // Bytes that continue a file read before, as ReadContentBytes reads them
    // except that their first line is a later line of the file, checked
    // against the depth of the line before it: a log being written is read
    // a piece of whole lines at a time.
    void ReadMoreContentBytes(std::string bytes, std::size_t previousDepth);

    // The depth of the last line the last read accepted, where a file read in
    // pieces goes on.
    std::size_t LastDepth() const noexcept { return lastDepth_; }

    // The accepted text of the last read, from either kind: the whole file, or,
    // when a line was refused, the file up to the start of that line.
    // Splitting it at CR LF, lone CR and lone LF and removing each line's
    // leading tabs and spaces gives the entries of the list.
    std::string_view Content() const noexcept { return content_; }

    // False when the last read could not open its file: the entries and the
    // content are then still those of the read before.
    bool LastReadOpened() const noexcept { return lastReadOpened_; }

    std::size_t Count() const noexcept { return lines_.size(); }

    // Throws KivError "Index incorrect" outside 0 to Count() - 1.
    std::string_view Text(std::size_t index) const;

    // Unchecked access for the scans' inner loops.
    std::string_view operator[](std::size_t index) const noexcept { return lines_[index]; }

private:
    void Split(); // fills lines_ from buffer_, throws on a refused indentation
    void SkipRefusedLines(std::size_t firstRefused);
    char* MutableBytes() noexcept;
    // The same check as Split, without the list; previousDepth for a piece
    // that continues a file.
    void Check(std::optional<std::size_t> previousDepth);
    bool Load(const std::filesystem::path& path);
    void Take(std::string& bytes);
    std::string_view Bytes() const noexcept;

    ByteBuffer file_;   // the last file's bytes, when the last read was a file's
    ByteBuffer spare_;  // the next file is read here, so a failed open keeps file_
    std::string buffer_; // the bytes given to ReadBytes
    bool fromFile_ = false;
    std::string_view content_;
    std::vector<std::string_view> lines_;
    bool lastReadOpened_ = true;
    std::size_t lastDepth_ = 0;
    RefusedLine rule_;
};

} // namespace kiv
