#include "logscan/LineBreaks.h"

#include <gtest/gtest.h>

#include <string>

namespace kiv {
namespace {

// The rules read one byte at a time, as a log's lines are defined.
std::size_t PlainFindBreak(const std::string& text, std::size_t from)
{
    while (from < text.size() && text[from] != '\r' && text[from] != '\n')
        ++from;
    return from;
}

std::size_t PlainCountBreaks(const std::string& text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++count;
    return count;
}

bool PlainAnyLaterLineIndented(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if ((text[i] == '\r' || text[i] == '\n') && (text[i + 1] == ' ' || text[i + 1] == '\t'))
            return true;
    return false;
}

// Each piece is tried after padding of every length up to 40 bytes, so that
// its breaks fall at every place of a sixteen-byte block and across blocks.
TEST(LineBreaks, SixteenBytesAtATimeAgreeWithOneByteAtATime)
{
    const std::string pieces[] = {"",         "a",          "\r",          "\n",           "\r\n",
                                  "\n\r",     "a\r\nb",     "a\rb\nc",     "\r\r\n\n",     "x\r\n\ty",
                                  "x\n y",    "x\r\n",      "line\r",      " lead\r\n",    "\t\r\n \n"};
    for (const std::string& piece : pieces) {
        for (std::size_t pad = 0; pad <= 40; ++pad) {
            const std::string text = std::string(pad, 'p') + piece + std::string(pad % 7, 'q');
            SCOPED_TRACE("piece of " + std::to_string(piece.size()) + " bytes after " + std::to_string(pad));
            for (std::size_t from = 0; from <= text.size(); from += 3)
                EXPECT_EQ(FindLineBreak(text, from, text.size()), PlainFindBreak(text, from));
            EXPECT_EQ(CountLineBreaks(text), PlainCountBreaks(text));
            EXPECT_EQ(AnyLaterLineIndented(text), PlainAnyLaterLineIndented(text));
        }
    }
}

TEST(LineBreaks, LogAndCellRulesDifferOnlyAtLoneLf)
{
    struct Case {
        std::string text;
        std::size_t logBreaks;
        std::size_t cellBreaks;
    };
    const Case cases[] = {
        {"a\r\nb", 1, 1}, {"a\rb", 1, 1}, {"a\nb", 1, 0}, {"a\n\rb", 2, 1}, {"a\r\r\nb", 2, 2}, {"ab", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CountLineBreaks(c.text), c.logBreaks);
        EXPECT_EQ(CountCellBreaks(c.text), c.cellBreaks);
    }
    const std::string crLf = "a\r\nb";
    EXPECT_EQ(AfterBreak(crLf, 1), 3u);
    EXPECT_EQ(AfterCellBreak(crLf, 1), 3u);
    EXPECT_EQ(NextLineStart(crLf, 0), 3u);
    EXPECT_EQ(NextLineStart(crLf, 2), 3u);
    EXPECT_EQ(NextLineStart(crLf, 3), crLf.size());
    EXPECT_EQ(BeforeNul(std::string_view("ab\0cd", 5)), "ab");
}

} // namespace
} // namespace kiv
