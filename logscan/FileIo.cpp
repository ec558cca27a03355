#include "logscan/FileIo.h"

#include "common/SystemPath.h"
#include "logscan/Cp1252.h"
#include "logscan/VisibleControls.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <memory>
#include <limits>
#include <new>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kiv {
namespace {

// An open file that is closed however the read ends.
class ReadHandle {
public:
#ifdef _WIN32
    ReadHandle(const std::filesystem::path& path, ReadSharing sharing)
    {
        const DWORD share = sharing == ReadSharing::WithWriters
            ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
            : FILE_SHARE_READ;
        const HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return;
        fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
        if (fd_ < 0)
            CloseHandle(handle);
    }
    ~ReadHandle()
    {
        if (fd_ >= 0)
            _close(fd_);
    }
#else
    // Non-blocking, so that a FIFO named like a log does not wait for a
    // writer: it is refused below as soon as it is seen not to be a file.
    ReadHandle(const std::filesystem::path& path, ReadSharing)
        : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~ReadHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
#endif
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;

    bool IsOpen() const noexcept { return fd_ >= 0; }

    // The size of a regular file (links followed), nothing for a folder, a
    // device, a FIFO or a socket: a link to /dev/zero is no log.
    std::optional<std::uint64_t> RegularFileSize() const noexcept
    {
#ifdef _WIN32
        struct _stat64 status {};
        if (_fstat64(fd_, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG)
            return std::nullopt;
#else
        struct stat status {};
        if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))
            return std::nullopt;
#endif
        return static_cast<std::uint64_t>(status.st_size);
    }

    // The identity and size of a regular file, nothing for anything else.
    std::optional<FileState> State() const noexcept
    {
        const std::optional<std::uint64_t> size = RegularFileSize();
        if (!size)
            return std::nullopt;
#ifdef _WIN32
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), &info))
            return std::nullopt;
        return FileState{{info.dwVolumeSerialNumber,
                          (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow},
                         *size};
#else
        struct stat status {};
        if (::fstat(fd_, &status) != 0)
            return std::nullopt;
        return FileState{{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
                         *size};
#endif
    }

    // The last modification time, in the system's own units (nanoseconds
    // since 1970 on POSIX, 100 ns since 1601 on Windows).
    std::optional<std::int64_t> ModifiedTime() const noexcept
    {
#ifdef _WIN32
        FILETIME written;
        if (!GetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), nullptr, nullptr, &written))
            return std::nullopt;
        return static_cast<std::int64_t>((std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime);
#else
        struct stat status {};
        if (::fstat(fd_, &status) != 0)
            return std::nullopt;
#ifdef __APPLE__
        const struct timespec& when = status.st_mtimespec;
#else
        const struct timespec& when = status.st_mtim;
#endif
        return static_cast<std::int64_t>(when.tv_sec) * 1'000'000'000 + when.tv_nsec;
#endif
    }

    bool Seek(std::uint64_t offset) noexcept
    {
#ifdef _WIN32
        return _lseeki64(fd_, static_cast<__int64>(offset), SEEK_SET) >= 0;
#else
        return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
#endif
    }

    // Up to size bytes; fewer only at the end of the file. -1 on an error.
    long long Read(char* into, std::size_t size) noexcept
    {
        return ReadFully(into, size, [this](char* at, std::size_t asked, std::size_t) {
#ifdef _WIN32
            return static_cast<long long>(_read(fd_, at, static_cast<unsigned>(asked)));
#else
            return static_cast<long long>(::read(fd_, at, asked));
#endif
        });
    }

#ifndef _WIN32
    // Up to size bytes from offset on, without moving the file's position,
    // so that threads may read their parts of one handle at once; fewer only
    // at the end of the file. -1 on an error.
    long long ReadAt(char* into, std::size_t size, std::uint64_t offset) noexcept
    {
        return ReadFully(into, size, [this, offset](char* at, std::size_t asked, std::size_t got) {
            return static_cast<long long>(::pread(fd_, at, asked, static_cast<off_t>(offset + got)));
        });
    }
#endif

private:
    // The system hands over at most about a gigabyte a call, and fewer bytes
    // than asked whenever it likes: calls readSome(at, asked, got) until size
    // bytes came, the file ended (0) or it failed (-1; a signal's interruption
    // is asked again).
    template <typename ReadSome>
    static long long ReadFully(char* into, std::size_t size, ReadSome readSome) noexcept
    {
        constexpr std::size_t kMostAtOnce = std::size_t{1} << 30;
        std::size_t got = 0;
        while (got < size) {
            const long long n = readSome(into + got, std::min(size - got, kMostAtOnce), got);
#ifndef _WIN32
            if (n < 0 && errno == EINTR)
                continue;
#endif
            if (n < 0)
                return -1;
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        return static_cast<long long>(got);
    }

    int fd_ = -1;
};

#ifdef _WIN32
bool IsUtf8(std::string_view bytes) noexcept
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                                                         : (lead & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}
#endif

} // namespace

std::filesystem::path PathFromBytes(std::string_view bytes)
{
#ifdef _WIN32
    // Text that is not UTF-8 comes from a caller in the Windows code page:
    // taken as Windows-1252 rather than refused.
    if (!IsUtf8(bytes)) {
        const std::string utf8 = Cp1252ToUtf8(bytes);
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    }
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
    // Linux systems; a byte that is not UTF-8 is shown as "?". A name may
    // hold any byte but "/": its control characters are shown, never obeyed,
    // so that a log whose name holds a line break cannot write a line of its
    // own into a message.
    // The system's own separators: a folder typed "X:/logs" on Windows is
    // named "X:\\logs".
    std::filesystem::path shown = path;
    shown.make_preferred();
    const std::u8string utf8 = shown.u8string();
    return VisibleControls(Utf8ToCp1252(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size())),
                           Encoding::Cp1252, false);
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

void ByteBuffer::DropFront(std::size_t n) noexcept
{
    n = std::min(n, size_);
    if (n != 0 && n != size_)
        std::memmove(data_.get(), data_.get() + n, size_ - n);
    size_ -= n;
}

bool ReadFileInPieces(const std::filesystem::path& path, ByteBuffer& out, std::size_t pieceSize,
                      const std::function<bool(ByteBuffer& bytes, bool atEnd)>& onPiece)
{
    ReadHandle file(path, ReadSharing::WithWriters);
    if (!file.IsOpen())
        return false;
    const std::optional<std::uint64_t> size = file.RegularFileSize();
    if (!size)
        return false;
    // As much as the file held when it was opened, as ReadFileBytes reads.
    std::uint64_t left = *size;
    out.Clear();
    for (;;) {
        const auto asked = static_cast<std::size_t>(std::min<std::uint64_t>(left, pieceSize));
        // Room for one byte at least, so that the bytes always have an address.
        const long long got = file.Read(out.Reserve(std::max<std::size_t>(asked, 1)), asked);
        if (got < 0)
            return false;
        out.Commit(static_cast<std::size_t>(got));
        left -= static_cast<std::uint64_t>(got);
        const bool atEnd = left == 0 || static_cast<std::size_t>(got) < asked;
        if (!onPiece(out, atEnd) || atEnd)
            return true;
    }
}

namespace {

// Reads the open file as it stood when it was opened into out, by parts(size)
// threads: a log that the server goes on writing is not chased, and one cut
// shorter is read to where it now ends.
template <class Parts>
bool ReadWholeFile(ReadHandle& file, ByteBuffer& out, Parts&& parts)
{
    const std::optional<std::uint64_t> size = file.RegularFileSize();
    if (!size)
        return false;
    if (*size > std::numeric_limits<std::size_t>::max())
        throw std::bad_alloc();
    const auto wanted = static_cast<std::size_t>(*size);
    out.Clear();
    // Room for one byte at least: an empty file still gives a view that
    // points somewhere, which every memchr over it needs.
    char* const into = out.Reserve(std::max<std::size_t>(wanted, 1));
    [[maybe_unused]] const unsigned count = parts(wanted);
#ifndef _WIN32
    if (count > 1) {
        std::vector<std::size_t> bounds(count + 1);
        for (unsigned part = 0; part <= count; ++part)
            bounds[part] = wanted / count * part;
        bounds[count] = wanted;
        std::vector<long long> got(count, 0);
        RunOnThreads(count, [&](unsigned part) {
            got[part] = file.ReadAt(into + bounds[part], bounds[part + 1] - bounds[part], bounds[part]);
        });
        // The bytes run on only as far as every part before was read whole:
        // a file cut shorter meanwhile ends where its first short part does.
        std::size_t read = 0;
        for (unsigned part = 0; part < count; ++part) {
            if (got[part] < 0)
                return false;
            read += static_cast<std::size_t>(got[part]);
            if (static_cast<std::size_t>(got[part]) < bounds[part + 1] - bounds[part])
                break;
        }
        out.Commit(read);
        return true;
    }
#endif
    const long long got = file.Read(into, wanted);
    if (got < 0)
        return false;
    out.Commit(static_cast<std::size_t>(got));
    return true;
}

} // namespace

bool ReadFileBytes(const std::filesystem::path& path, ByteBuffer& out, ReadSharing sharing)
{
    ReadHandle file(path, sharing);
    if (!file.IsOpen())
        return false;
    return ReadWholeFile(file, out, [](std::size_t) { return 1u; });
}

bool ReadFileBytesSideBySide(const std::filesystem::path& path, ByteBuffer& out, const ScanThreads& threads)
{
    ReadHandle file(path, ReadSharing::WithWriters);
    if (!file.IsOpen())
        return false;
    return ReadWholeFile(file, out, [&](std::size_t size) { return ThreadCountFor(threads, size); });
}

std::optional<FileState> LookAtFile(const std::filesystem::path& path)
{
#ifdef _WIN32
    // Opened for its attributes only, which neither reads nor keeps the
    // server from writing, renaming or removing the file.
    const HANDLE handle = CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FileState{{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow},
                     (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow};
#else
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileState{{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
                     static_cast<std::uint64_t>(status.st_size)};
#endif
}

std::optional<FileVersion> LookAtLogFile(const std::filesystem::path& path)
{
#ifdef _WIN32
    const HANDLE handle = CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FileVersion{
        {{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow},
         (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow},
        static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32)
                                  | info.ftLastWriteTime.dwLowDateTime)};
#else
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
#ifdef __APPLE__
    const struct timespec& when = status.st_mtimespec;
#else
    const struct timespec& when = status.st_mtim;
#endif
    return FileVersion{{{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
                        static_cast<std::uint64_t>(status.st_size)},
                       static_cast<std::int64_t>(when.tv_sec) * 1'000'000'000 + when.tv_nsec};
#endif
}

struct OpenLogFile::Handle : ReadHandle {
    explicit Handle(const std::filesystem::path& path) : ReadHandle(path, ReadSharing::WithWriters) {}
};

OpenLogFile::OpenLogFile(const std::filesystem::path& path) : handle_(std::make_unique<Handle>(path)) {}

OpenLogFile::~OpenLogFile() = default;

bool OpenLogFile::IsOpen() const noexcept
{
    return handle_->IsOpen();
}

std::optional<FileVersion> OpenLogFile::Version() const noexcept
{
    const std::optional<FileState> state = handle_->State();
    if (!state)
        return std::nullopt;
    const std::optional<std::int64_t> modified = handle_->ModifiedTime();
    if (!modified)
        return std::nullopt;
    return FileVersion{*state, *modified};
}

long long OpenLogFile::ReadAt(std::uint64_t offset, char* into, std::size_t size) noexcept
{
    if (!handle_->Seek(offset))
        return -1;
    return handle_->Read(into, size);
}

namespace {

// The target the replacement must take the place of: a link to a list file
// keeps pointing at it, and the file behind the link gets the new bytes. A
// link whose file does not exist yet is followed too, so that the file is
// created where the link points instead of the link being replaced by a file;
// where that folder is missing, the file cannot be created and says so.
std::filesystem::path ResolvedTarget(const std::filesystem::path& target)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(target, ec))
        return target;
    std::filesystem::path resolved = target;
    // As many links in a row as the system itself follows.
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(resolved, ec); ++hop) {
        const std::filesystem::path next = std::filesystem::read_symlink(resolved, ec);
        if (ec)
            return target;
        resolved = next.is_absolute() ? next : resolved.parent_path() / next;
    }
    const auto canonical = std::filesystem::weakly_canonical(resolved, ec);
    return ec ? resolved : canonical;
}

// Creates a file that did not exist, so that two programs saving at once
// never share a temporary file.
std::FILE* CreateNewFile(const std::filesystem::path& path, const std::filesystem::path& modeFrom)
{
#ifdef _WIN32
    (void)modeFrom;
    // Read and write access and no sharing, as the list files have always
    // been written: nobody reads a half-written file.
    const HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (!file)
        _close(fd);
    return file;
#else
    // The new file keeps the access rights of the one it replaces.
    struct stat old {};
    const bool replacing = ::stat(modeFrom.c_str(), &old) == 0;
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    if (replacing)
        (void)::fchmod(fd, old.st_mode & 07777); // the old rights, or what open gave
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file)
        ::close(fd);
    return file;
#endif
}

bool SyncToDisk(std::FILE* file) noexcept
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) noexcept
{
#ifdef _WIN32
    return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return ::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace

FileReplacement::FileReplacement(const std::filesystem::path& target)
{
    // A device or a pipe (/dev/null, /dev/stdout, a FIFO that another program
    // reads) holds no file to keep, and must not be replaced by one: it is
    // written directly.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)
        && !std::filesystem::is_directory(status)) {
        target_ = target;
#ifdef _WIN32
        file_ = _wfopen(target.c_str(), L"wb");
#else
        file_ = std::fopen(target.c_str(), "wb");
#endif
        return;
    }
    target_ = ResolvedTarget(target);
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const std::filesystem::path folder = target_.parent_path();
    // Hidden, and named after the target, so that a user who finds one left
    // by a power cut knows what it was.
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        std::filesystem::path name(".");
        name += target_.filename();
        // Appended piece by piece: GCC 12 misreads "." + std::string&& as an
        // overlapping copy (-Wrestrict) in optimised builds.
        std::string suffix = ".";
        suffix += std::to_string(random() % 1000000);
        suffix += '-';
        suffix += std::to_string(counter++);
        suffix += ".tmp";
        name += suffix;
        temporary_ = folder / name;
        file_ = CreateNewFile(temporary_, target_);
        if (!file_ && !std::filesystem::exists(temporary_, ec))
            break; // not a name clash: the folder refuses new files
    }
    if (!file_)
        temporary_.clear();
}

FileReplacement::~FileReplacement()
{
    Discard();
}

bool FileReplacement::Write(std::string_view bytes)
{
    if (!file_ || failed_)
        return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        failed_ = true;
    return !failed_;
}

bool FileReplacement::Commit()
{
    if (!file_)
        return false;
    const bool direct = temporary_.empty();
    bool ok = !failed_ && std::fflush(file_) == 0 && (direct || SyncToDisk(file_));
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (direct)
        return ok;
    if (ok && RenameOver(temporary_, target_)) {
        temporary_.clear();
        return true;
    }
    Discard();
    return false;
}

void FileReplacement::Discard() noexcept
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
#ifdef _WIN32
        DeleteFileW(SystemPath(temporary_).c_str());
#else
        std::error_code ec;
        std::filesystem::remove(temporary_, ec);
#endif
        temporary_.clear();
    }
}

void FailWritesBeyondFileSizeLimit()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes)
{
    FileReplacement file(path);
    return file.Write(bytes) && file.Commit();
}

} // namespace kiv
