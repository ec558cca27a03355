#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LogLineReader.h"
#include "tests/support/TempPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

namespace kiv {
namespace {

std::vector<std::string> Entries(const LogLineReader& reader)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < reader.Count(); ++i)
        lines.emplace_back(reader.Text(i));
    return lines;
}

// The entries that the accepted content stands for: its lines without their
// leading tabs and spaces.
std::vector<std::string> ContentEntries(const LogLineReader& reader)
{
    // Split by hand: a list's own split would stop at a NUL, which a log keeps.
    const std::string_view text = reader.Content();
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::size_t body = std::min(text.find_first_not_of(" \t", start), end);
        lines.emplace_back(text.substr(body, end - body));
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

std::optional<std::string> ErrorOf(const std::function<void()>& read)
{
    try {
        read();
    } catch (const KivError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

std::string Level(long long n, std::string_view item)
{
    return "Niveau incorrect (" + std::to_string(n) + ") pour l'\xE9l\xE9ment \"" + std::string(item) + "\"";
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> entries; // kept, also when the read is refused
    std::optional<std::string> error;
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const ReadCase& c, std::ostream* out)
{
    *out << c.name;
}

class LogLineReaderSplit : public ::testing::TestWithParam<ReadCase> {};

// Both kinds of read must agree: the listed one, and the one that keeps only
// the accepted text for the keyword search.
TEST_P(LogLineReaderSplit, ListAndContentFollowTheRules)
{
    const ReadCase& c = GetParam();
    LogLineReader listed;
    EXPECT_EQ(ErrorOf([&] { listed.ReadBytes(c.bytes); }), c.error);
    EXPECT_EQ(Entries(listed), c.entries);
    EXPECT_EQ(ContentEntries(listed), c.entries);

    LogLineReader content;
    EXPECT_EQ(ErrorOf([&] { content.ReadContentBytes(c.bytes); }), c.error);
    EXPECT_EQ(content.Count(), 0u);
    EXPECT_EQ(ContentEntries(content), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogLineReaderSplit,
    ::testing::Values(
        ReadCase{"empty_file", "", {}, {}},
        ReadCase{"no_final_break", "a\r\nb\r\nc", {"a", "b", "c"}, {}},
        ReadCase{"final_crlf_adds_nothing", "a\r\nb\r\nc\r\n", {"a", "b", "c"}, {}},
        ReadCase{"two_final_crlf_add_one_empty", "a\r\nb\r\nc\r\n\r\n", {"a", "b", "c", ""}, {}},
        ReadCase{"lone_lf", "a\nb\nc\n", {"a", "b", "c"}, {}},
        ReadCase{"lone_cr", "a\rb\rc\r", {"a", "b", "c"}, {}},
        ReadCase{"lf_then_cr_is_two_breaks", "a\n\rb", {"a", "", "b"}, {}},
        ReadCase{"mixed_breaks", "a\r\nb\nc\rd", {"a", "b", "c", "d"}, {}},
        ReadCase{"nul_is_a_byte_of_its_line", std::string("a\r\nb\r\ncc\0dd\r\ne", 14),
                 {"a", "b", std::string("cc\0dd", 5), "e"}, {}},
        ReadCase{"nul_hides_no_bad_indent", std::string("a\0\n   b", 7), {std::string("a\0", 2)}, Level(3, "b")},
        ReadCase{"nul_first_and_alone", std::string("\0\n\0\0", 4), {std::string("\0", 1), std::string("\0\0", 2)}, {}},
        ReadCase{"every_line_one_tab", "\ta\r\n\tb\r\n\tc", {"a", "b", "c"}, {}},
        ReadCase{"first_line_indent_ignored", "      a\r\n b\r\nc", {"a", "b", "c"}, {}},
        ReadCase{"deepening_step_by_step", "a\n b\n  c\n\t \td\ne", {"a", "b", "c", "d", "e"}, {}},
        ReadCase{"two_spaces_every_line", "  a\r\n  b\r\n  c", {"a"}, Level(2, "b")},
        ReadCase{"three_blanks_line", "POSTE1:x\r\n   \r\nPOSTE2:y", {"POSTE1:x"}, Level(3, "")},
        ReadCase{"blank_only_line_one_step", "a\r\n \r\nb", {"a", "", "b"}, {}},
        ReadCase{"refused_after_many", "a\nb\nc\n\td\n\t\t\t e f\ng", {"a", "b", "c", "d"}, Level(4, "e f")},
        ReadCase{"accented_item", "x\n\t\t\xE9l\xE8ve", {"x"}, Level(2, "\xE9l\xE8ve")}),
    [](const auto& info) { return std::string(info.param.name); });

// A keyword log leaves a refused line out and goes on, the next line checked
// against the last one accepted; the message names the first refused line.
// Each case is read whole, as a list, and in two parts cut at every line
// start (the second continuing the first, as the watch reads a log).
TEST(LogLineReader, AKeywordLogSkipsEachRefusedLineAndGoesOn)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> entries;
        std::optional<std::string> error;
    };
    const Case cases[] = {
        {"nothing_refused", "a\r\n\tb\r\nc", {"a", "b", "c"}, {}},
        {"one_deep_line_in_the_middle", "a\r\n\t\tb\r\nc\r\n", {"a", "c"}, Level(2, "b")},
        {"checked_against_the_last_accepted", "a\n\tb\n\t\t\tc\n\t\td\n\t\t\t\te\n\t\t\tf", {"a", "b", "d", "f"},
         Level(3, "c")},
        {"every_line_two_spaces", "  a\r\n  b\r\n  c\r\nd", {"a", "d"}, Level(2, "b")},
        {"last_line_refused_without_break", "a\r\n   ", {"a"}, Level(3, "")},
        {"refused_lines_of_every_break", "a\r  b\n  c\r\n  d\re", {"a", "e"}, Level(2, "b")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogLineReader content(RefusedLine::IsSkipped);
        EXPECT_EQ(ErrorOf([&] { content.ReadContentBytes(c.bytes); }), c.error);
        EXPECT_EQ(ContentEntries(content), c.entries);
        LogLineReader listed(RefusedLine::IsSkipped);
        EXPECT_EQ(ErrorOf([&] { listed.ReadBytes(c.bytes); }), c.error);
        EXPECT_EQ(Entries(listed), c.entries);

        for (std::size_t cut = 1; cut < c.bytes.size(); ++cut) {
            if (c.bytes[cut - 1] != '\n' && (c.bytes[cut - 1] != '\r' || c.bytes[cut] == '\n'))
                continue; // not a line start
            LogLineReader pieces(RefusedLine::IsSkipped);
            const auto firstError = ErrorOf([&] { pieces.ReadContentBytes(c.bytes.substr(0, cut)); });
            std::vector<std::string> entries = ContentEntries(pieces);
            const auto secondError =
                ErrorOf([&] { pieces.ReadMoreContentBytes(c.bytes.substr(cut), pieces.LastDepth()); });
            const std::vector<std::string> more = ContentEntries(pieces);
            entries.insert(entries.end(), more.begin(), more.end());
            EXPECT_EQ(entries, c.entries) << "cut at " << cut;
            EXPECT_EQ(firstError ? firstError : secondError, c.error) << "cut at " << cut;
        }
    }
}

// The skipping reader against the rule read the obvious way, a line at a
// time, on random logs of blanks, breaks and letters.
TEST(LogLineReader, AKeywordLogIsReadAsTheRuleReadLineByLineSays)
{
    const auto reference = [](const std::string& bytes) {
        std::vector<std::string> kept;
        std::size_t depth = 0;
        for (std::size_t start = 0; start < bytes.size();) {
            std::size_t end = bytes.find_first_of("\r\n", start);
            if (end == std::string::npos)
                end = bytes.size();
            const std::size_t body = std::min(bytes.find_first_not_of(" \t", start), end);
            if (kept.empty() && start == 0)
                kept.push_back(bytes.substr(body, end - body));
            else if (body - start <= depth + 1) {
                depth = body - start;
                kept.push_back(bytes.substr(body, end - body));
            }
            start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
        return kept;
    };
    std::mt19937 random(27);
    const char alphabet[] = {'a', 'b', ' ', '\t', '\r', '\n'};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(random() % 40, ' ');
        for (char& c : bytes)
            c = alphabet[random() % sizeof alphabet];
        LogLineReader listed(RefusedLine::IsSkipped);
        LogLineReader content(RefusedLine::IsSkipped);
        (void)ErrorOf([&] { listed.ReadBytes(bytes); });
        (void)ErrorOf([&] { content.ReadContentBytes(bytes); });
        const std::vector<std::string> expected = reference(bytes);
        ASSERT_EQ(Entries(listed), expected) << testing::PrintToString(bytes);
        ASSERT_EQ(ContentEntries(content), expected) << testing::PrintToString(bytes);
    }
}

// The fast check for indented lines looks at the bytes in blocks: an indented
// line must be seen wherever it falls against a block's edge, whatever its
// break and its blanks.
TEST(LogLineReader, IndentedLineFoundAtEveryOffset)
{
    for (std::size_t offset = 0; offset < 70; ++offset) {
        for (const char* breakText : {"\n", "\r", "\r\n"}) {
            for (const char* blanks : {"  ", "\t\t", "\t "}) {
                const std::string head(offset, 'x');
                const std::string bytes = head + breakText + blanks + "deep" + breakText + "tail";
                LogLineReader listed;
                LogLineReader content;
                const auto listedError = ErrorOf([&] { listed.ReadBytes(bytes); });
                const auto contentError = ErrorOf([&] { content.ReadContentBytes(bytes); });
                // The first line has depth 0 (even when empty), so two blanks are one step too many.
                EXPECT_EQ(listedError, Level(2, "deep")) << offset;
                EXPECT_EQ(Entries(listed), std::vector<std::string>{head}) << offset;
                EXPECT_EQ(contentError, listedError) << offset;
                EXPECT_EQ(content.Content(), listed.Content()) << offset;
            }
        }
    }
}

TEST(LogLineReader, TextOutsideTheListIsRefused)
{
    LogLineReader reader;
    EXPECT_EQ(ErrorOf([&] { (void)reader.Text(0); }), "Index incorrect");
    reader.ReadBytes("a\r\nb");
    EXPECT_EQ(reader.Text(1), "b");
    EXPECT_EQ(ErrorOf([&] { (void)reader.Text(2); }), "Index incorrect");
    EXPECT_EQ(ErrorOf([&] { (void)reader.Text(static_cast<std::size_t>(-1)); }), "Index incorrect");
}

// A refused line is quoted in the message up to 200 bytes: a message box
// cannot show a line of 50 MB.
TEST(LogLineReader, RefusedLineIsQuotedUpTo200Bytes)
{
    const std::string prefix = "Niveau incorrect (2) pour l'\xE9l\xE9ment \"";
    const std::string x200(200, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {x200, x200},
        {x200 + "y", x200 + "..."},
        {std::string(50 << 20, 'z'), std::string(200, 'z') + "..."},
    };
    for (const auto& [line, quoted] : cases) {
        LogLineReader reader;
        EXPECT_EQ(ErrorOf([&] { reader.ReadBytes("a\r\n  " + line); }), prefix + quoted + "\"");
    }
}

class LogLineReaderFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = UniqueTempPath("kiv_reader_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
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

TEST_F(LogLineReaderFiles, ReadsAFileAndReplacesThePreviousOne)
{
    LogLineReader reader;
    reader.Read(Write("a050206.txt", "P1:e1:050206:0800:x\r\nP2:e2:050206:0801:y\r\n"), "a050206.txt");
    EXPECT_EQ(Entries(reader), (std::vector<std::string>{"P1:e1:050206:0800:x", "P2:e2:050206:0801:y"}));
    reader.Read(Write("b050206.txt", "z"), "b050206.txt");
    EXPECT_EQ(Entries(reader), std::vector<std::string>{"z"});
    EXPECT_TRUE(reader.LastReadOpened());
}

TEST_F(LogLineReaderFiles, UnopenableFileKeepsThePreviousLines)
{
    const auto good = Write("a050206.txt", "one\r\ntwo");
    const std::string missing = (dir_ / "gone050206.txt").string();
    for (const bool content : {false, true}) {
        LogLineReader reader;
        const auto read = [&](const std::filesystem::path& path, std::string_view shown) {
            content ? reader.ReadContent(path, shown) : reader.Read(path, shown);
        };
        read(good, "a050206.txt");
        EXPECT_EQ(ErrorOf([&] { read(missing, missing); }), "Impossible d'ouvrir le fichier " + missing);
        EXPECT_FALSE(reader.LastReadOpened());
        EXPECT_EQ(ContentEntries(reader), (std::vector<std::string>{"one", "two"}));
        if (!content) {
            EXPECT_EQ(Entries(reader), (std::vector<std::string>{"one", "two"}));
        }
        // A folder whose name matched the mask cannot be read either.
        EXPECT_EQ(ErrorOf([&] { read(dir_, "logs"); }), "Impossible d'ouvrir le fichier logs");
        EXPECT_EQ(ContentEntries(reader), (std::vector<std::string>{"one", "two"}));
    }
}

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
TEST_F(LogLineReaderFiles, BufferIsReusedFromFileToFile)
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

// Files are read by the same rules as bytes in memory: a NUL byte inside a
// line, a refused indentation, the list.
TEST_F(LogLineReaderFiles, LargeLogsReadAsTheirBytes)
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
