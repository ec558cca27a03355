#include "logscan/RewriteLogLine.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

struct RewriteCase {
    const char* name;
    std::string line;
    std::string rewritten;
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const RewriteCase& c, std::ostream* out)
{
    *out << c.name;
}

class RewriteLogLineTest : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteLogLineTest, InsertsTheDateAndTimeSeparators)
{
    EXPECT_EQ(RewriteLogLine(GetParam().line), GetParam().rewritten);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RewriteLogLineTest,
    ::testing::Values(
        RewriteCase{"well_formed", "POSTE12:eleve07:150306:1432:page jeux en ligne",
                    "POSTE12:eleve07: le 15/03/06: \xE0 14 h 32 min :page jeux en ligne"},
        RewriteCase{"overview_example", "POSTE12:eleve07:050206:1432:page jeux",
                    "POSTE12:eleve07: le 05/02/06: \xE0 14 h 32 min :page jeux"},
        RewriteCase{"nothing_after_time", "POSTE12:eleve07:150306:1432",
                    "POSTE12:eleve07: le 15/03/06: \xE0 14 h 32 min "},
        RewriteCase{"four_digit_year", "POSTE12:eleve07:15032006:1432:x",
                    "POSTE12:eleve07: le 15/03/2006: \xE0 14 h 32 min :x"},
        RewriteCase{"colon_inside_time", "POSTE12:eleve07:150306:14:32:x",
                    "POSTE12:eleve07: le 15/03/06: \xE0 14 h :3 min 2:x"},
        RewriteCase{"two_fields_only", "POSTE12:eleve07", "POSTE12:eleve07 le // \xE0  m h in "},
        RewriteCase{"no_colon", "jeu", "jeu le // \xE0  m h in "},
        RewriteCase{"empty_line", "", "/ le / \xE0  m h in "},
        // Past the end of the line, " le " goes in front of the second "/" just appended.
        RewriteCase{"only_a_colon", ":", ":/ le / \xE0  m h in "},
        RewriteCase{"colons_only", ":::", ":: le : \xE0 // h  min "},
        RewriteCase{"accented_rest_kept", "P1:\xE9l\xE8ve:010106:0905:caf\xE9",
                    "P1:\xE9l\xE8ve: le 01/01/06: \xE0 09 h 05 min :caf\xE9"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kiv
