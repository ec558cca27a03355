#pragma once
// A large log file looked at where the system keeps it, instead of copied into
// memory of our own first: a busy day's connection log is some 70 MB, and
// copying it costs more than scanning it. Where the system offers no mapping
// (or for a file that is not a plain file) Map says no and the caller reads
// the file the ordinary way.
//
// The mapping is read-only and shared with the server that may still be
// appending to the file: what is seen is the file as it stood when it was
// mapped. A log is only ever appended to; a file cut shorter while mapped
// would end the program on the system's signal for a vanished page.

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace kiv {

class MappedFile {
public:
    MappedFile() noexcept = default;
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the whole file when it is a plain file of at least minBytes bytes,
    // replacing the previous mapping; false (and nothing changed) otherwise.
    bool Map(const std::filesystem::path& path, std::size_t minBytes);

    // The file's bytes; empty when nothing is mapped.
    std::string_view Bytes() const noexcept { return {data_, size_}; }
    bool IsMapped() const noexcept { return data_ != nullptr; }

    void Reset() noexcept;

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace kiv
