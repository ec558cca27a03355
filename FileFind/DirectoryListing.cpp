#include "FileFind/DirectoryListing.h"

#include "FileFind/detail/WildcardMatch.h"
#include "common/SystemPath.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace kiv {
namespace {

// Paths are the system's own: UTF-8 bytes for its wide names on Windows, the
// bytes as they are elsewhere; never Windows-1252, which cannot hold every name.
#ifdef _WIN32
fs::path PathOf(const std::string& bytes)
{
    return fs::path(std::u8string(bytes.begin(), bytes.end()));
}

std::string BytesOf(const fs::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}
#else
fs::path PathOf(const std::string& bytes) { return fs::path(bytes); }

std::string BytesOf(const fs::path& path) { return path.native(); }
#endif

// The attribute bits that the portable layer cannot see.
int PlatformAttr(const fs::path& path, const std::string& name)
{
#ifdef _WIN32
    (void)name;
    const DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES)
        return 0;
    return static_cast<int>(attr & (kAttrReadOnly | kAttrHidden | kAttrSysFile | kAttrArchive));
#else
    (void)path;
    return (!name.empty() && name[0] == '.') ? kAttrHidden : 0;
#endif
}

std::int64_t SecondsSinceEpoch(fs::file_time_type time)
{
#ifdef _MSC_VER
    const auto system = std::chrono::clock_cast<std::chrono::system_clock>(time);
#else
    const auto system = std::chrono::file_clock::to_sys(time);
#endif
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

// Fills an entry from the file system. linkStatus is the entry itself, a link
// not followed; the size, time and kind of a link are those of its target,
// as Windows reports a link to a folder as a folder.
TSearchRec MakeEntry(const fs::path& path, std::string name, fs::file_status linkStatus)
{
    TSearchRec rec;
    rec.Name = std::move(name);
    std::error_code ec;
    fs::file_status status = linkStatus;
    if (fs::is_symlink(linkStatus)) {
        rec.Attr |= kAttrSymLink;
        status = fs::status(path, ec); // a dangling link keeps its own status
        if (ec)
            status = linkStatus;
    }
    if (fs::is_directory(status)) {
        rec.Attr |= kAttrDirectory;
    } else if (fs::is_regular_file(status)) {
        const std::uintmax_t size = fs::file_size(path, ec);
        if (!ec)
            rec.Size = static_cast<std::uint32_t>(size);
    }
    const fs::perms perms = status.permissions();
    if (perms != fs::perms::unknown
        && (perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write))
               == fs::perms::none)
        rec.Attr |= kAttrReadOnly;
    rec.Attr |= PlatformAttr(path, rec.Name);
    const fs::file_time_type time = fs::last_write_time(path, ec);
    if (!ec)
        rec.Time = SecondsSinceEpoch(time);
    return rec;
}

// A folder's entries in the order the school's Windows file server lists
// them, whatever order this system gives.
std::vector<TSearchRec> InNameOrder(std::vector<TSearchRec> entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const TSearchRec& a, const TSearchRec& b) { return NameOrderLess(a.Name, b.Name); });
    return entries;
}

} // namespace

#ifdef _WIN32
namespace {

std::int64_t SecondsSinceEpoch(FILETIME time)
{
    // FILETIME counts 100 ns steps from 1601-01-01.
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000) - 11644473600LL;
}

// An entry as the find functions describe it. A link (a reparse point) is
// described by its target, as elsewhere, through the portable layer.
TSearchRec EntryOf(const fs::path& path, std::string name, DWORD attributes, DWORD sizeLow, FILETIME written)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        std::error_code ec;
        return MakeEntry(path, std::move(name), fs::symlink_status(path, ec));
    }
    TSearchRec rec;
    rec.Name = std::move(name);
    rec.Attr = static_cast<int>(attributes & (kAttrReadOnly | kAttrHidden | kAttrSysFile | kAttrDirectory | kAttrArchive));
    rec.Size = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : sizeLow;
    rec.Time = SecondsSinceEpoch(written);
    return rec;
}

} // namespace

std::vector<TSearchRec> ListDirectory(const std::string& folder)
{
    std::vector<TSearchRec> entries;
    const fs::path dir = folder.empty() ? fs::path(".") : PathOf(folder);
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileExW(SystemPath(dir / L"*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const fs::path path = dir / data.cFileName;
        entries.push_back(EntryOf(path, BytesOf(fs::path(data.cFileName)), data.dwFileAttributes,
                                  data.nFileSizeLow, data.ftLastWriteTime));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return InNameOrder(std::move(entries));
}

std::optional<TSearchRec> LookUpEntry(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    const fs::path p = PathOf(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(SystemPath(p).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return EntryOf(p, BytesOf(p.filename()), data.dwFileAttributes, data.nFileSizeLow, data.ftLastWriteTime);
}

#else
std::vector<TSearchRec> ListDirectory(const std::string& folder)
{
    std::vector<TSearchRec> entries;
    const fs::path dir = folder.empty() ? fs::path(".") : PathOf(folder);
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        std::error_code statusError;
        const fs::file_status linkStatus = entry.symlink_status(statusError);
        entries.push_back(MakeEntry(entry.path(), BytesOf(entry.path().filename()), linkStatus));
    }
    return InNameOrder(std::move(entries));
}

std::optional<TSearchRec> LookUpEntry(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    const fs::path p = PathOf(path);
    std::error_code ec;
    const fs::file_status linkStatus = fs::symlink_status(p, ec);
    if (ec || !fs::exists(linkStatus))
        return std::nullopt;
    return MakeEntry(p, BytesOf(p.filename()), linkStatus);
}
#endif

} // namespace kiv
