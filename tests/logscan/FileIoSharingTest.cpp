// What only Windows has: files that another program holds open with its own
// share mode, and paths longer than MAX_PATH.
#ifdef _WIN32

#include "logscan/FileIo.h"
#include "tests/support/TempPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include <windows.h>

namespace kiv {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path, ReadSharing sharing, bool& ok)
{
    ByteBuffer buffer;
    ok = ReadFileBytes(path, buffer, sharing);
    return ok ? std::string(buffer.View()) : std::string();
}

struct HeldCase {
    const char* name;
    DWORD access; // of the other program
    DWORD share;  // what the other program lets others do
    bool logReadable;
    bool listReadable;
};

// ctest and the test log name a case by its name rather than by its bytes.
void PrintTo(const HeldCase& c, std::ostream* out)
{
    *out << c.name;
}

class HeldOpen : public ::testing::TestWithParam<HeldCase> {};

TEST_P(HeldOpen, LogsAreReadBesideTheWriterListsOnlyWithoutOne)
{
    const HeldCase& c = GetParam();
    const fs::path file = UniqueTempPath("kiv_held_" + std::string(c.name));
    ASSERT_TRUE(WriteFileBytes(file, "POSTE12:eleve07:050206:1432:jeu\r\n"));
    const HANDLE other = CreateFileW(file.c_str(), c.access, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (c.access & GENERIC_WRITE) {
        // The server appends a line and keeps the file open.
        SetFilePointer(other, 0, nullptr, FILE_END);
        ASSERT_TRUE(WriteFile(other, "POSTE13:eleve08:050206:1433:maths\r\n", 35, &written, nullptr));
    }

    bool ok = false;
    const std::string log = Read(file, ReadSharing::WithWriters, ok);
    EXPECT_EQ(ok, c.logReadable);
    if (ok) {
        EXPECT_EQ(log.size(), 33u + written) << "the log as it stands, the writer's line included";
    }
    Read(file, ReadSharing::WithoutWriters, ok);
    EXPECT_EQ(ok, c.listReadable);

    CloseHandle(other);
    fs::remove(file);
}

INSTANTIATE_TEST_SUITE_P(
    ShareModes, HeldOpen,
    ::testing::Values(HeldCase{"server_lets_readers_in", GENERIC_WRITE, FILE_SHARE_READ, true, false},
                      HeldCase{"server_shares_everything", GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true, false},
                      HeldCase{"held_exclusively", GENERIC_READ | GENERIC_WRITE, 0, false, false},
                      HeldCase{"another_reader", GENERIC_READ, FILE_SHARE_READ, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder named with accents, nested past MAX_PATH: its lists are written,
// replaced and read back, and messages name it in Windows-1252.
TEST(LongPaths, AListDeepInAnAccentedFolderIsWrittenReplacedAndRead)
{
    const std::string root = PathBytes(UniqueTempPath("kiv_long"));
    // Made with the system's long form, which every Windows accepts.
    std::wstring made = L"\\\\?\\" + PathFromBytes(root).native();
    std::string folder = root;
    for (std::string part = "\xC3\x89l\xC3\xA8ves"; folder.size() < 300; part = std::string(40, 'd')) {
        CreateDirectoryW(made.c_str(), nullptr);
        folder += "\\" + part;
        made += L"\\" + PathFromBytes(part).native();
    }
    CreateDirectoryW(made.c_str(), nullptr);
    const fs::path list = PathFromBytes(folder + "\\kiv_salles.txt");

    bool ok = false;
    EXPECT_TRUE(WriteFileBytes(list, "S101\r\nS102"));
    EXPECT_EQ(Read(list, ReadSharing::WithoutWriters, ok), "S101\r\nS102");
    EXPECT_TRUE(WriteFileBytes(list, "S\xE9minaire"));
    EXPECT_EQ(Read(list, ReadSharing::WithoutWriters, ok), "S\xE9minaire");
    EXPECT_EQ(PathForMessage(list).substr(0, root.size() + 8), root + "\\\xC9l\xE8ves\\");

    std::error_code ec;
    fs::remove_all(fs::path(L"\\\\?\\" + PathFromBytes(root).native()), ec);
}

} // namespace
} // namespace kiv

#endif
