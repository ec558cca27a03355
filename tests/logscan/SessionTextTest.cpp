#include "logscan/SessionText.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

TEST(SessionTextTest, LineAndSlotEntryOfASession)
{
    const struct {
        const char* name;
        SessionEntry entry;
        const char* line;
        const char* slotEntry;
    } cases[] = {
        {"with_logout", {"S514", "PC03", "eleve12", "08h25", "16h10", "E"},
         "S514  PC03  08h25 - 16h10     eleve12    E", "\rS514PC03 08h25-16h10 eleve12 E"},
        {"without_logout", {"S514", "PC03", "eleve12", "08h25", "", "E"},
         "S514  PC03  08h25 -      eleve12    E", "\rS514PC03 08h25- eleve12 E"},
        {"all_empty", {}, "  " "  " " - " "     " "    ", "\r" " " "-" " " " "},
        {"bytes_kept", {"S\xE9", "P", "\xE9l\xE8ve", "0825", "1", "\xE0"},
         "S\xE9  P  0825 - 1     \xE9l\xE8ve    \xE0", "\rS\xE9P 0825-1 \xE9l\xE8ve \xE0"},
    };
    std::string all = "#";
    std::string expected = "#";
    for (const auto& c : cases) {
        EXPECT_EQ(SessionLine(c.entry), c.line) << c.name;
        EXPECT_EQ(SlotEntry(c.entry), c.slotEntry) << c.name;
        AppendSessionLine(c.entry, all);
        expected += c.line;
    }
    EXPECT_EQ(all, expected); // each line appended after what the buffer held
}

} // namespace
} // namespace kiv
