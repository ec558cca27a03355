#include "MappedFile.h"

#include <cstdint>
#include <utility>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define KIV_HAVE_MMAP 1
#endif

namespace kiv {

MappedFile::~MappedFile()
{
    Reset();
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0))
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        Reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

#ifdef KIV_HAVE_MMAP

bool MappedFile::Map(const std::filesystem::path& path, std::size_t minBytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    void* mapped = MAP_FAILED;
    std::size_t size = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0
        && static_cast<unsigned long long>(info.st_size) >= minBytes
        && static_cast<unsigned long long>(info.st_size) <= static_cast<unsigned long long>(SIZE_MAX)) {
        size = static_cast<std::size_t>(info.st_size);
        int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
        // The whole file is about to be read: map every page at once rather
        // than one fault at a time.
        flags |= MAP_POPULATE;
#endif
        mapped = ::mmap(nullptr, size, PROT_READ, flags, fd, 0);
    }
    ::close(fd); // the mapping keeps the file's pages
    if (mapped == MAP_FAILED)
        return false;
    Reset();
    data_ = static_cast<const char*>(mapped);
    size_ = size;
    return true;
}

void MappedFile::Reset() noexcept
{
    if (data_ != nullptr)
        ::munmap(const_cast<char*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

#else

bool MappedFile::Map(const std::filesystem::path&, std::size_t)
{
    return false;
}

void MappedFile::Reset() noexcept
{
    data_ = nullptr;
    size_ = 0;
}

#endif

} // namespace kiv
