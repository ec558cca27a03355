// A full disk and a log growing while it is read, made with POSIX limits and
// timers; the Windows build tests its own file layer in FileIoSharingTest.
#ifndef _WIN32

#include "logscan/FileIo.h"
#include "tests/support/TempPath.h"

#include <gtest/gtest.h>

#include <ostream>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kiv {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// WriteFileBytes in a child process whose files may not grow past
// limitBytes, as on a disk that is full: true when it reported success.
bool WriteInChildWithLimit(const fs::path& path, const std::string& bytes, rlim_t limitBytes)
{
    const pid_t child = ::fork();
    if (child == 0) {
        FailWritesBeyondFileSizeLimit(); // as both programs do first: the write fails, the process lives
        const rlimit limit{limitBytes, limitBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(WriteFileBytes(path, bytes) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct WriteCase {
    const char* name;
    bool oldFile;      // the list exists before the write
    bool throughLink;  // the list is reached through a symbolic link
    rlim_t limit;      // bytes a file may hold on the "disk"
    bool written;
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const WriteCase& c, std::ostream* out)
{
    *out << c.name;
}

class FileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(FileWrite, ReplacesTheFileWholeOrLeavesItAsItWas)
{
    const WriteCase& c = GetParam();
    const fs::path folder = UniqueTempPath("kiv_file_write_" + std::string(c.name));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path list = folder / "kiv_salles.txt";
    if (c.oldFile)
        std::ofstream(list, std::ios::binary) << "S101\r\nS102";
    fs::path target = list;
    if (c.throughLink) {
        target = folder / "lien.txt";
        fs::create_symlink(list, target);
    }
    const std::string fresh(100000, 'S');

    EXPECT_EQ(WriteInChildWithLimit(target, fresh, c.limit), c.written);
    std::vector<std::string> expectedNames;
    if (c.oldFile || c.written)
        expectedNames.push_back("kiv_salles.txt");
    if (c.throughLink)
        expectedNames.push_back("lien.txt");
    EXPECT_EQ(Names(folder), expectedNames) << "no temporary file is left behind";
    if (c.written) {
        EXPECT_EQ(Slurp(list), fresh);
    } else if (c.oldFile) {
        EXPECT_EQ(Slurp(list), "S101\r\nS102");
    }
    if (c.throughLink) {
        EXPECT_TRUE(fs::is_symlink(target));
    }
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(
    FullDisk, FileWrite,
    ::testing::Values(WriteCase{"old_list_kept_when_disk_full", true, false, 4096, false},
                      WriteCase{"no_file_made_when_disk_full", false, false, 4096, false},
                      WriteCase{"old_list_replaced_when_room", true, false, RLIM_INFINITY, true},
                      WriteCase{"list_behind_link_kept_when_disk_full", true, true, 4096, false},
                      WriteCase{"list_behind_link_replaced", true, true, RLIM_INFINITY, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Saved results that only their owner may read stay so after a new save, and
// a list shared with a group stays writable by it, whatever the umask: two
// modes that no umask gives both.
TEST(FileWrite, AReplacedFileKeepsItsAccessRights)
{
    for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                                 fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                     fs::perms::group_write | fs::perms::others_read}) {
        for (const bool throughLink : {false, true}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(mode)) + (throughLink ? " through a link" : ""));
            const fs::path folder = UniqueTempPath("kiv_file_rights");
            fs::create_directories(folder);
            const fs::path saved = folder / "kiv_log.txt";
            std::ofstream(saved, std::ios::binary) << "anciens";
            fs::permissions(saved, mode);
            fs::path target = saved;
            if (throughLink) {
                target = folder / "lien.txt";
                fs::create_symlink(saved, target);
            }
            ASSERT_TRUE(WriteFileBytes(target, "nouveaux"));
            EXPECT_EQ(Slurp(saved), "nouveaux");
            EXPECT_EQ(fs::status(saved).permissions(), mode);
            fs::remove_all(folder);
        }
    }
}

// The server goes on writing a log while it is read: a block of lines is
// appended every 200 microseconds, from a timer signal, so that the growth
// happens in the middle of the read whatever the machine's load.
int appendTo = -1;
char appended[1 << 16];

extern "C" void AppendBlock(int)
{
    [[maybe_unused]] const auto written = ::write(appendTo, appended, sizeof appended);
}

TEST(FileRead, AGrowingLogIsReadAsItStoodWhenOpened)
{
    const fs::path log = UniqueTempPath("kiv_file_read_growing");
    {
        std::ofstream out(log, std::ios::binary);
        const std::string line = "POSTE12:eleve07:050206:1432:page\r\n";
        for (int i = 0; i < (64 << 20) / static_cast<int>(line.size()); ++i)
            out << line;
    }
    for (std::size_t i = 0; i < sizeof appended; ++i)
        appended[i] = "APPENDED\r\n"[i % 10];
    appendTo = ::open(log.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(appendTo, 0);
    struct sigaction action {}, previous {};
    action.sa_handler = AppendBlock;
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGALRM, &action, &previous);
    const itimerval every{{0, 200}, {0, 200}};
    const std::uintmax_t before = fs::file_size(log);
    ::setitimer(ITIMER_REAL, &every, nullptr);

    ByteBuffer buffer;
    const bool read = ReadFileBytes(log, buffer);

    const itimerval stop{};
    ::setitimer(ITIMER_REAL, &stop, nullptr);
    ::sigaction(SIGALRM, &previous, nullptr);
    ::close(appendTo);
    EXPECT_TRUE(read);
    EXPECT_GT(fs::file_size(log), buffer.View().size()) << "the log grew while it was read";
    // Only what came between the size check above and the open may be read.
    EXPECT_LE(buffer.View().size(), before + 2 * sizeof appended);
    fs::remove(log);
}

TEST(FileRead, ALogReadSideBySideHoldsItsBytesInOrder)
{
    const fs::path log = UniqueTempPath("kiv_file_read_side_by_side");
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{10}, std::size_t{100003}}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 7919 % 251);
        std::ofstream(log, std::ios::binary) << bytes;
        for (const unsigned threads : {1u, 2u, 3u, 7u}) {
            ByteBuffer buffer;
            ASSERT_TRUE(ReadFileBytesSideBySide(log, buffer, ScanThreads{threads, 1}));
            EXPECT_EQ(buffer.View(), bytes) << size << " bytes, " << threads << " threads";
        }
    }
    fs::remove(log);
}

int cutFile = -1;

extern "C" void CutToAQuarter(int)
{
    struct stat status {};
    if (::fstat(cutFile, &status) == 0)
        [[maybe_unused]] const int cut = ::ftruncate(cutFile, status.st_size / 4);
}

// A log cut shorter while its parts are read gives a beginning of the file,
// never a part read after one that came short.
TEST(FileRead, ALogCutWhileReadSideBySideGivesABeginningOfIt)
{
    const fs::path log = UniqueTempPath("kiv_file_read_cut");
    std::string bytes(32 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>('a' + i % 23);
    std::ofstream(log, std::ios::binary) << bytes;
    cutFile = ::open(log.c_str(), O_WRONLY);
    ASSERT_GE(cutFile, 0);
    struct sigaction action {}, previous {};
    action.sa_handler = CutToAQuarter;
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGALRM, &action, &previous);
    const itimerval soon{{0, 0}, {0, 300}};
    ::setitimer(ITIMER_REAL, &soon, nullptr);

    ByteBuffer buffer;
    const bool read = ReadFileBytesSideBySide(log, buffer, ScanThreads{4, 1});

    const itimerval stop{};
    ::setitimer(ITIMER_REAL, &stop, nullptr);
    ::sigaction(SIGALRM, &previous, nullptr);
    ::close(cutFile);
    EXPECT_TRUE(read);
    EXPECT_TRUE(std::string_view(bytes).starts_with(buffer.View())) << buffer.View().size() << " bytes read";
    fs::remove(log);
}

} // namespace
} // namespace kiv

#endif
