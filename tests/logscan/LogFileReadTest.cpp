#include "KivError.h"
#include "LogLineReader.h"
#include "FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kiv {
namespace {

class LogFileReadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path()
               / ("kiv_logread_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Write(const std::string& name, const std::string& bytes)
    {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path dir_;
};

// A day's log of some megabytes.
std::string BigLog(std::size_t lines)
{
    std::string text;
    for (std::size_t n = 0; n < lines; ++n)
        text += "S514-PC" + std::to_string(n % 30) + ":eleve" + std::to_string(n) + ":061226:082533:login:B:C:D:E\r\n";
    return text;
}

// One buffer serves file after file: a smaller file read after a larger one
// gives only its own bytes, and a file that grew is read to its end.
TEST_F(LogFileReadTest, BufferIsReusedFromFileToFile)
{
    ByteBuffer buffer;
    ASSERT_TRUE(ReadFileBytes(Write("a.log", std::string(100000, 'a')), buffer));
    EXPECT_EQ(buffer.View(), std::string(100000, 'a'));
    ASSERT_TRUE(ReadFileBytes(Write("b.log", "bb"), buffer));
    EXPECT_EQ(buffer.View(), "bb");
    ASSERT_TRUE(ReadFileBytes(Write("c.log", ""), buffer));
    EXPECT_EQ(buffer.View(), "");
    EXPECT_FALSE(ReadFileBytes(dir_ / "absent.log", buffer));
    EXPECT_FALSE(ReadFileBytes(dir_, buffer));
}

std::vector<std::string> Entries(const LogLineReader& reader)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < reader.Count(); ++i)
        lines.emplace_back(reader[i]);
    return lines;
}

struct Outcome {
    std::vector<std::string> entries;
    std::string content;
    std::optional<std::string> error;
};

template <class Read>
Outcome ReadWith(LogLineReader& reader, Read&& read)
{
    Outcome outcome;
    try {
        read();
    } catch (const KivError& e) {
        outcome.error = e.what();
    }
    outcome.entries = Entries(reader);
    outcome.content = std::string(reader.Content());
    return outcome;
}

// Files are read by the same rules as bytes in memory: the NUL byte that ends
// the text, a refused indentation, the list.
TEST_F(LogFileReadTest, LargeLogsReadAsTheirBytes)
{
    const std::string log = BigLog(90000); // about 4.5 MB
    ASSERT_GT(log.size(), std::size_t{4} << 20);
    std::string withNul = log;
    withNul[withNul.size() - 100] = '\0';
    const std::string refused = log + "a\r\n\t\tb\r\nc\r\n";
    for (const std::string& bytes : {log, withNul, refused}) {
        const auto path = Write("connexr261206.log", bytes);
        LogLineReader fromFile;
        LogLineReader fromBytes;
        const Outcome file = ReadWith(fromFile, [&] { fromFile.Read(path, "connexr261206.log"); });
        const Outcome memory = ReadWith(fromBytes, [&] { fromBytes.ReadBytes(bytes); });
        EXPECT_EQ(file.entries, memory.entries);
        EXPECT_EQ(file.content, memory.content);
        EXPECT_EQ(file.error, memory.error);

        LogLineReader contentOnly;
        const Outcome content = ReadWith(contentOnly, [&] { contentOnly.ReadContent(path, "connexr261206.log"); });
        EXPECT_EQ(content.content, memory.content);
        EXPECT_EQ(content.error, memory.error);
    }

    // A small file read after a large one replaces it; a file that cannot be
    // opened keeps it.
    LogLineReader reader;
    reader.Read(Write("big.log", log), "big.log");
    EXPECT_THROW(reader.Read(dir_ / "absent.log", "absent.log"), KivError);
    EXPECT_EQ(reader.Count(), 90000u);
    EXPECT_EQ(reader.Content(), log);
    reader.Read(Write("small.log", "x\r\ny"), "small.log");
    EXPECT_EQ(Entries(reader), (std::vector<std::string>{"x", "y"}));
    reader.Read(dir_ / "big.log", "big.log");
    reader.ReadBytes("z");
    EXPECT_EQ(Entries(reader), std::vector<std::string>{"z"});
}

} // namespace
} // namespace kiv
