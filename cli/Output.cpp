#include "cli/Output.h"

#include "logscan/Cp1252.h"
#include "logscan/FileIo.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kiv::cli {
namespace {
constexpr std::size_t kFlushSize = std::size_t{1} << 20;

// The length of the run of ASCII bytes at the start of text, eight bytes at a
// time: log lines are ASCII but for a few accented names.
std::size_t AsciiRun(std::string_view text) noexcept
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if ((word & kHighBits) != 0)
            break;
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

void AppendUtf8(char32_t cp, std::string& out)
{
    if (cp < 0x800) {
        const char bytes[] = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
        out.append(bytes, 2);
    } else {
        const char bytes[] = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (cp & 0x3F))};
        out.append(bytes, 3);
    }
}

} // namespace

bool IsTerminal(std::FILE* stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

std::string Encode(std::string_view cp1252, Encoding encoding)
{
    std::string out;
    AppendEncoded(cp1252, encoding, out);
    return out;
}

void AppendEncoded(std::string_view cp1252, Encoding encoding, std::string& out)
{
    if (encoding == Encoding::Cp1252) {
        out.append(cp1252);
        return;
    }
    while (!cp1252.empty()) {
        const std::size_t ascii = AsciiRun(cp1252);
        out.append(cp1252.substr(0, ascii));
        if (ascii == cp1252.size())
            return;
        // Every byte from 0x80 up stands for a code point from 0x80 up: two or
        // three bytes of UTF-8.
        AppendUtf8(Cp1252ToUnicode(static_cast<unsigned char>(cp1252[ascii])), out);
        cp1252.remove_prefix(ascii + 1);
    }
}

OutputSink::OutputSink(Encoding encoding) : visible_(IsTerminal(stdout)), encoding_(encoding) {}

OutputSink::OutputSink(const std::string& path)
    : replacement_(std::make_unique<FileReplacement>(PathFromBytes(path)))
{
}

// A file not finished is left as it was: the temporary file goes with the
// replacement.
OutputSink::~OutputSink()
{
    if (!replacement_)
        Finish();
}

void OutputSink::Append(std::string_view bytes)
{
    if (visible_)
        buffer_ += VisibleControls(bytes, encoding_, true);
    else
        buffer_.append(bytes);
}

void OutputSink::Write(std::string_view bytes)
{
    Append(bytes);
    FlushWhenFull();
}

void OutputSink::WriteEncoded(std::string_view cp1252, Encoding encoding)
{
    if (visible_) {
        encoded_.clear();
        AppendEncoded(cp1252, encoding, encoded_);
        Append(encoded_);
    } else {
        AppendEncoded(cp1252, encoding, buffer_);
    }
    FlushWhenFull();
}

void OutputSink::FlushWhenFull()
{
    if (buffer_.size() >= kFlushSize)
        Drain();
}

void OutputSink::Drain()
{
    if (!buffer_.empty()) {
        const bool written = replacement_ ? replacement_->Write(buffer_)
                                          : std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) == buffer_.size();
        failed_ = failed_ || !written;
        buffer_.clear();
    }
}

bool OutputSink::FlushNow()
{
    Drain();
    if (!replacement_ && std::fflush(stdout) != 0)
        failed_ = true;
    return !failed_;
}

bool OutputSink::Finish()
{
    Drain();
    if (replacement_)
        return replacement_->Commit() && !failed_;
    if (std::fflush(stdout) != 0)
        failed_ = true;
    return !failed_;
}

} // namespace kiv::cli
