#pragma once
// Where kivlogs-cli writes: standard output or a file, through one large
// buffer, because a year of results is written line by line.

#include "cli/CliOptions.h"
#include "jobs/CsvText.h" // CsvField, CsvRow: the csv and summary formats
#include "logscan/FileIo.h"
#include "logscan/VisibleControls.h" // VisibleControls: what a terminal is given

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace kiv::cli {

// Engine text (Windows-1252) as the chosen encoding writes it.
std::string Encode(std::string_view cp1252, Encoding encoding);
// The same, appended to out.
void AppendEncoded(std::string_view cp1252, Encoding encoding, std::string& out);

// True when the stream is a terminal (not a pipe or a file).
bool IsTerminal(std::FILE* stream);

class OutputSink {
public:
    // Standard output, in that encoding: results go to a pipe or a file byte
    // for byte, and to a terminal with their control characters visible.
    explicit OutputSink(Encoding encoding);
    // A file, written through a temporary file beside it that replaces it in
    // Finish: a failed run leaves the old file as it was. Check IsOpen().
    explicit OutputSink(const std::string& path);
    ~OutputSink();
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    bool IsOpen() const noexcept { return replacement_ ? replacement_->IsOpen() : true; }
    void Write(std::string_view bytes);
    // Engine text, in the chosen encoding.
    void WriteEncoded(std::string_view cp1252, Encoding encoding);
    // Writes what was given so far to standard output now, for a reader that
    // waits for each line (a watch); false once something could not be written.
    bool FlushNow();
    // Writes everything (and puts a file in place); false when something
    // could not be written. Called once, at the end.
    bool Finish();

private:
    void Drain();
    void FlushWhenFull();

    void Append(std::string_view bytes);

    std::unique_ptr<FileReplacement> replacement_; // null for standard output
    bool visible_ = false; // standard output is a terminal
    Encoding encoding_ = Encoding::Cp1252;
    std::string encoded_; // WriteEncoded's text before it is made visible
    bool failed_ = false;
    std::string buffer_;
};

} // namespace kiv::cli
