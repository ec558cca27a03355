#include "FileIo.h"

#include "Cp1252.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <memory>

namespace kiv {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenFile(const std::filesystem::path& path, bool forWriting)
{
#ifdef _WIN32
    // _wfopen opens with sharing allowed, as the server's own writer expects.
    return FilePtr(_wfopen(path.c_str(), forWriting ? L"wb" : L"rb"));
#else
    return FilePtr(std::fopen(path.c_str(), forWriting ? "wb" : "rb"));
#endif
}

} // namespace

std::filesystem::path PathFromBytes(std::string_view bytes)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
#else
    return std::filesystem::path(std::string(bytes));
#endif
}

std::string PathBytes(const std::filesystem::path& path)
{
#ifdef _WIN32
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
#else
    return path.native();
#endif
}

std::string PathForMessage(const std::filesystem::path& path)
{
    // On POSIX the bytes are taken as UTF-8, the encoding of the school's
    // Linux systems; a byte that is not UTF-8 is shown as "?".
    const std::u8string utf8 = path.u8string();
    return Utf8ToCp1252(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

void ByteBuffer::Release::operator()(char* bytes) const noexcept
{
    std::free(bytes);
}

char* ByteBuffer::Reserve(std::size_t extra)
{
    if (capacity_ - size_ < extra) {
        const std::size_t wanted = std::max(size_ + extra, capacity_ + capacity_ / 2);
        std::unique_ptr<char, Release> larger(static_cast<char*>(std::malloc(wanted)));
        if (!larger)
            throw std::bad_alloc();
        if (size_ != 0)
            std::memcpy(larger.get(), data_.get(), size_);
        data_ = std::move(larger);
        capacity_ = wanted;
    }
    return data_.get() + size_;
}

bool ReadFileBytes(const std::filesystem::path& path, ByteBuffer& out)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return false;
    FilePtr file = OpenFile(path, false);
    if (!file)
        return false;
    out.Clear();
    // The size is a hint only: a file that grows while it is read is read to
    // wherever its end stands when the read reaches it.
    const auto hint = std::filesystem::file_size(path, ec);
    std::size_t chunk = ec ? std::size_t{1} << 16 : static_cast<std::size_t>(hint) + 1;
    for (;;) {
        char* at = out.Reserve(chunk);
        const std::size_t got = std::fread(at, 1, chunk, file.get());
        out.Commit(got);
        if (got < chunk)
            break;
        chunk = std::size_t{1} << 16;
    }
    return std::ferror(file.get()) == 0;
}

bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes)
{
    FilePtr file = OpenFile(path, true);
    if (!file)
        return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return false;
    return std::fflush(file.get()) == 0;
}

} // namespace kiv
