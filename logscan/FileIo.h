#pragma once
// The small file layer under every read and write of the engine. Reading is
// shared: a log file that the server is still writing is read as it stands.

#include "logscan/ScanThreads.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kiv {

// Paths are the system's own: a path held as bytes is the system's bytes on
// POSIX (a folder named in UTF-8 or in Latin-1 alike) and UTF-8 on Windows,
// which names files in UTF-16 (bytes that are not UTF-8 there are taken as
// the Windows code page). They never pass through Windows-1252 otherwise.
std::filesystem::path PathFromBytes(std::string_view bytes);
// The inverse: the bytes that PathFromBytes turns back into path.
std::string PathBytes(const std::filesystem::path& path);

// A path as messages show it, with the system's own separators: converted
// from the system's encoding (UTF-8) to Windows-1252, "?" for what it cannot
// hold, its control characters written visibly (VisibleControls), so that the
// name stays on its line.
std::string PathForMessage(const std::filesystem::path& path);

// A block of bytes that a read fills without clearing it first and that keeps
// its memory from one file to the next: a busy day's connection log is some
// 70 MB, and a year's scan reads hundreds of files one after the other.
class ByteBuffer {
public:
    std::string_view View() const noexcept { return {data_.get(), size_}; }
    char* Data() noexcept { return data_.get(); }
    void Clear() noexcept { size_ = 0; }
    // Room for at least extra more bytes after the current ones, uninitialized.
    char* Reserve(std::size_t extra);
    // Counts n bytes written at the place Reserve gave.
    void Commit(std::size_t n) noexcept { size_ += n; }
    // Removes the first n bytes (at most all of them); the rest moves to the front.
    void DropFront(std::size_t n) noexcept;

private:
    struct Release {
        void operator()(char* bytes) const noexcept;
    };
    std::unique_ptr<char, Release> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Whether another program may write the file while it is read. The server
// goes on writing today's logs, which are read as they stand; a list file is
// read whole or not at all, and not while another program writes it. (Only
// Windows has share modes; elsewhere both read alike.)
enum class ReadSharing { WithWriters, WithoutWriters };

// Reads the file into out, replacing its bytes: as many bytes as it held when
// it was opened, fewer only when it was cut shorter meanwhile. False when it
// cannot be opened or read, or is no regular file once links are followed (a
// folder, a device, a FIFO); out is then unspecified. Throws std::bad_alloc
// when the file does not fit in memory.
// Unlike a mapping of the file, a read keeps the program alive when the file
// is cut shorter or the network share drops while it is read: the read fails.
bool ReadFileBytes(const std::filesystem::path& path, ByteBuffer& out,
                   ReadSharing sharing = ReadSharing::WithWriters);

// Reads the file as ReadFileBytes does (the same bytes, the same refusals),
// a large one by several threads at once (as many as threads gives for its
// size), each reading its own part into its place. A whole day's log lands in
// memory the system has to clear page by page before the bytes are copied,
// which costs as much as the copy: the threads share that work. Where the
// system has no reads at an offset that threads can share (Windows, here),
// one thread reads it all.
bool ReadFileBytesSideBySide(const std::filesystem::path& path, ByteBuffer& out, const ScanThreads& threads);

// Reads the file as ReadFileBytes does (the same bytes, the same refusals),
// a piece at a time, for a scan that needs no more than a few lines at once:
// each round adds up to pieceSize more bytes to out, after what the previous
// round left there, then calls onPiece(out, atEnd). onPiece takes what it used
// off the front of out (DropFront) and returns false to read no further,
// which is no failure. False when the file cannot be opened or read, even
// after pieces of it were handed on. Throws std::bad_alloc when memory runs out.
bool ReadFileInPieces(const std::filesystem::path& path, ByteBuffer& out, std::size_t pieceSize,
                      const std::function<bool(ByteBuffer& bytes, bool atEnd)>& onPiece);

// Which file a path leads to: the device and inode on POSIX, the volume and
// file index on Windows. A log that the server replaced by a new file under
// the same name has a new identity even when its size did not change.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileState {
    FileIdentity identity;
    std::uint64_t size = 0;
    friend bool operator==(const FileState&, const FileState&) = default;
};

// The identity and size of the regular file at path (links followed), or
// nothing when there is none or it is no regular file. Costs a look at the
// file's entry, not a read: the day's watch asks it of every file each time.
std::optional<FileState> LookAtFile(const std::filesystem::path& path);

// What tells one state of a log from another without reading it: its
// identity, its size and its last modification time (in the system's own
// units). A log refilled or rewritten in place to the same size keeps its
// identity and its size, but not its time.
struct FileVersion {
    FileState state;
    std::int64_t modified = 0;
    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// The version of the regular file at path (links followed) from a look at
// its entry, not a read; nothing when there is none. The same figures as
// OpenLogFile::Version for the same state of the file.
std::optional<FileVersion> LookAtLogFile(const std::filesystem::path& path);

// A log opened for shared reading (the server goes on writing it), read at
// any offset: what a log gained is read a piece at a time, and the bytes
// just before an offset can be read again to tell whether they are still
// those read before.
class OpenLogFile {
public:
    explicit OpenLogFile(const std::filesystem::path& path);
    ~OpenLogFile();
    OpenLogFile(const OpenLogFile&) = delete;
    OpenLogFile& operator=(const OpenLogFile&) = delete;

    bool IsOpen() const noexcept;
    // Nothing when the file is no regular file or cannot be asked.
    std::optional<FileVersion> Version() const noexcept;
    // Up to size bytes from offset; fewer only at the file's end. -1 when the
    // read fails (a share that dropped).
    long long ReadAt(std::uint64_t offset, char* into, std::size_t size) noexcept;

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

// A file written whole or not at all: the bytes go to a temporary file in the
// target's folder, which replaces the target only once everything was written
// and flushed to the disk. A full disk or a cut network share then leaves the
// old list or the old results as they were, never a cut of the new ones.
class FileReplacement {
public:
    // Creates the temporary file; check IsOpen().
    explicit FileReplacement(const std::filesystem::path& target);
    // Removes the temporary file unless Commit succeeded.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool IsOpen() const noexcept { return file_ != nullptr; }
    // False once any write failed; later writes are then ignored.
    bool Write(std::string_view bytes);
    // Flushes, closes and renames the temporary file over the target. False
    // when any step failed: the target is then untouched and the temporary
    // file removed.
    bool Commit();

private:
    void Discard() noexcept;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// A file-size limit (a school's quota, `ulimit -f`) must make a write fail,
// with the old file kept and the temporary one removed, not end the program
// and every result on screen with it: both programs call this first, so that
// the system refuses the write (EFBIG) instead of sending SIGXFSZ.
void FailWritesBeyondFileSizeLimit();

// Replaces the file with exactly these bytes, through a FileReplacement. False
// when the file cannot be created or written; the old file is then untouched.
bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

} // namespace kiv
