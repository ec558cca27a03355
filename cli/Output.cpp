#include "Output.h"

#include "Cp1252.h"
#include "FileIo.h"

namespace kiv::cli {
namespace {
constexpr std::size_t kFlushSize = std::size_t{1} << 20;
}

std::string Encode(std::string_view cp1252, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? Cp1252ToUtf8(cp1252) : std::string(cp1252);
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(";\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

OutputSink::OutputSink()
    : file_(stdout)
    , ownsFile_(false)
{
}

OutputSink::OutputSink(const std::string& path)
    : file_(nullptr)
    , ownsFile_(true)
{
#ifdef _WIN32
    file_ = _wfopen(PathFromBytes(path).c_str(), L"wb");
#else
    file_ = std::fopen(path.c_str(), "wb");
#endif
}

OutputSink::~OutputSink()
{
    Finish();
    if (ownsFile_ && file_)
        std::fclose(file_);
}

void OutputSink::Write(std::string_view bytes)
{
    buffer_.append(bytes);
    if (buffer_.size() >= kFlushSize) {
        if (file_ && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
            failed_ = true;
        buffer_.clear();
    }
}

bool OutputSink::Finish()
{
    if (!file_)
        return false;
    if (!buffer_.empty()) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
            failed_ = true;
        buffer_.clear();
    }
    if (std::fflush(file_) != 0)
        failed_ = true;
    return !failed_;
}

} // namespace kiv::cli
