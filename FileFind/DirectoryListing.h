#pragma once
// The file-system layer under the folder walk: a folder's entries and a single
// path's entry, as the Windows find functions describe them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kiv {

// Attribute bits of a directory entry, with the values Windows gives them.
enum : int {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSysFile = 0x04,
    kAttrVolumeId = 0x08,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    // A symbolic link (or other reparse point); for a link to a folder the
    // directory bit is set too.
    kAttrSymLink = 0x400,
};

// One directory entry.
struct TSearchRec {
    std::string Name;       // without its folder
    int Attr = 0;           // kAttr* bits
    std::uint32_t Size = 0; // bytes, the low 32 bits for larger files; 0 for folders
    std::int64_t Time = 0;  // last write, seconds since 1970-01-01 UTC
};

// Every entry of the folder, "." and ".." left out, in NameOrderLess order. The
// folder is given as bytes as the tool holds them ("" is the current directory;
// a final separator is allowed). A folder that does not exist or cannot be read
// gives an empty list; an error part way through gives the entries read so far.
std::vector<TSearchRec> ListDirectory(const std::string& folder);

// The entry of the file or folder at path, or nothing when there is none.
std::optional<TSearchRec> LookUpEntry(const std::string& path);

} // namespace kiv
